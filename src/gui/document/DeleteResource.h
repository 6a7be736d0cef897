// The tree's Delete command: asks the question that fits the selected resource and removes what
// the answer says, keeping icon and cursor groups consistent.
#pragma once

#include "common/Prompter.h"
#include "project/Project.h"

class QTreeWidgetItem;

namespace vellum::gui {

class ResourceTreeWidget;

// True when something was removed; the item after (or else before) the removed one is selected.
bool DeleteSelectedResource(ResourceTreeWidget& tree, Project& project, Prompter& prompter);

} // namespace vellum::gui
