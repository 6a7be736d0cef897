// The checks the Import dialog makes on OK before anything is decompiled: the destination folder
// (created with its parents when the user agrees) and the file to import. Each refusal is a
// message through the prompter, and the dialog stays open with its fields.
#pragma once

#include "common/Prompter.h"

#include <optional>
#include <string>

namespace vellum {

// The destination folder with a trailing separator, or nothing after a refusal. A missing folder
// is created (parents included) when the user answers Yes; a failure to create it is reported
// through the error trail and shown.
std::optional<std::string> CheckImportFolder(const std::string& folder, Prompter& prompter);

// True when the file can be imported: given, present, and an executable the decompiler reads.
bool CheckImportFile(const std::string& file, Prompter& prompter);

} // namespace vellum
