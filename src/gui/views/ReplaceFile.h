// Replacing a resource's file by another file: the extension question, the copy into the
// project folder and the new name in the manifest.
#pragma once

#include "common/Prompter.h"
#include "project/Project.h"

#include <optional>
#include <string>

namespace vellum::gui {

// Copies `chosen` over the resource's file (its folder, the chosen name) and rewrites the File
// node's Name. Returns the new path, or nothing when the user declined, the file is the same,
// or the copy failed (reported to the error trail).
std::optional<std::string> ReplaceResourceFile(const std::string& current,
                                               const std::string& chosen, Project& project,
                                               XmlNode* fileNode, Prompter& prompter);

} // namespace vellum::gui
