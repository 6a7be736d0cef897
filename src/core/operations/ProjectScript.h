// A project's string tables as resource script. They are kept together in STRINGS.XML, not as
// one file per block, so their script comes from the blocks the builder would make of it.
#pragma once

#include "common/Prompter.h"
#include "formats/PeResources.h"

#include <string>
#include <vector>

namespace vellum {

// The string-table blocks of the project in `folder`, each language of each block with its
// bytes, in the order the builder places them. Empty when STRINGS.XML is missing or unreadable.
std::vector<PeResource> ProjectStringBlocks(const std::string& folder, Prompter& prompter);

// Every block of the project's string tables in `language` as resource script.
std::string StringTableScript(const std::string& folder, int language, Prompter& prompter);

} // namespace vellum
