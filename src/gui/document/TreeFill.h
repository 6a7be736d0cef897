// The items the resource tree shows for a manifest, in manifest order: one per type, one per
// resource below it, and for string tables one per language instead of one per block.
#pragma once

#include "project/Project.h"

#include <string>
#include <vector>

namespace vellum::gui {

struct TreeFillItem {
    std::string label;
    XmlNode* node = nullptr; // the type entry, a resource's first language entry, or a language
    std::vector<TreeFillItem> children;
};

std::vector<TreeFillItem> BuildTreeItems(Project& project);

} // namespace vellum::gui
