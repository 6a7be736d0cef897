// Edits a viewer holds that are not in the project folder yet (typed into the hex view, not yet
// written). The document asks about them before it drops the project.
#pragma once

namespace vellum::gui {

class PendingEdits {
public:
    virtual ~PendingEdits() = default;
    virtual bool HasPendingEdits() const = 0;
    virtual void DiscardPendingEdits() = 0;
};

} // namespace vellum::gui
