// Which document the window opens with when the command line names none: the project of the
// most recent file when the work folder still holds it, else the blank template DLL.
#pragma once

#include <string>

namespace vellum::gui {

// The blank template every new project starts from, in the data folder.
inline constexpr const char* kBlankTemplateName = "blank.dll";

// The shared work folder every document decompiles into.
std::string WorkFolder(const std::string& dataFolder);
std::string BlankTemplatePath(const std::string& dataFolder);

struct StartDocument {
    std::string path;
    bool blank = false; // the blank template was chosen
};

// `recentFile` is the newest entry of the recent-file list (empty when there is none).
StartDocument ChooseStartDocument(const std::string& recentFile, const std::string& dataFolder);

// The message for a blank template that is missing.
void ReportMissingBlankTemplate(const char* module, int line, const std::string& path);

} // namespace vellum::gui
