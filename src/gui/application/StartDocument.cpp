// The start document and the paths of the work folder and the blank template.
#include "application/StartDocument.h"

#include "common/ErrorTrail.h"
#include "operations/ProjectFile.h"

#include <filesystem>

namespace vellum::gui {

std::string WorkFolder(const std::string& dataFolder) {
    return dataFolder + "Temp/";
}

std::string BlankTemplatePath(const std::string& dataFolder) {
    return dataFolder + kBlankTemplateName;
}

StartDocument ChooseStartDocument(const std::string& recentFile, const std::string& dataFolder) {
    if (!recentFile.empty()) {
        std::string project = ProjectFilePath(WorkFolder(dataFolder), recentFile);
        std::error_code ec;
        if (std::filesystem::is_regular_file(project, ec))
            return {project, false};
    }
    return {BlankTemplatePath(dataFolder), true};
}

void ReportMissingBlankTemplate(const char* module, int line, const std::string& path) {
    ReportError(module, line, E_FAIL,
                "Failed to open required dll.\n\r\"%s\"\n\rPlease reinstall Vellum.", path.c_str());
}

} // namespace vellum::gui
