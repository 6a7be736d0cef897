// What the Insert New Resource dialog does on OK: its checks in order, each refusal a message
// through the prompter, then the add itself. Icons may join an existing icon of that name, and a
// bitmap or PNG chosen as an icon can be converted first. Nothing is copied into the project
// before every check has passed.
#pragma once

#include "common/Prompter.h"
#include "project/Project.h"

#include <string>
#include <string_view>

namespace vellum {

struct InsertFields {
    std::string file;
    std::string name;
    std::string typeLabel;    // a known label ("Bitmap") or the name of a named type
    std::string languageText; // decimal; empty means 1033
};

struct InsertContext {
    // The project came from a visual style, whose resources live in per-prefix folders.
    bool visualStyle = false;
    // Where the bitmap-to-icon conversion keeps its working files; they are removed afterwards.
    std::string scratchFolder;
};

// How a file's ending fits the chosen type label.
enum class ExtensionFit { Fits, Mismatch, ConvertToIcon };
ExtensionFit FitOfExtension(std::string_view typeLabel, std::string_view fileName);

// Runs the checks and adds the resource. False after a refusal, a declined question or a failed
// add (its error trail shown); the dialog then stays open with its fields.
bool InsertNewResource(Project& project, const InsertFields& fields, const InsertContext& context,
                       Prompter& prompter);

} // namespace vellum
