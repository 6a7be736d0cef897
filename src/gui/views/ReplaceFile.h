// Replacing a resource's file by another file: the extension question, the copy into the
// project folder and the new name in the manifest.
#pragma once

#include "application/AppServices.h"
#include "common/Prompter.h"
#include "project/Project.h"

#include <optional>
#include <string>

namespace vellum::gui {

// Copies `chosen` into the project as the resource's file and rewrites the File node's Name (in
// the old name's folder) and, for bitmaps, its Png flag; the copy lands where the new line makes
// the compiler read. Returns the new path, or nothing when the user declined, the file is the
// same, or the copy failed (reported to the error trail).
std::optional<std::string> ReplaceResourceFile(const std::string& current,
                                               const std::string& chosen, Project& project,
                                               XmlNode* fileNode, Prompter& prompter);

// The same for a pane's Replace...: nothing without a project, and a failure is shown.
std::optional<std::string> ReplacePaneFile(AppServices& app, const std::string& current,
                                           const std::string& chosen, Project* project,
                                           XmlNode* fileNode);

} // namespace vellum::gui
