// A viewer that edits its resource's file in place (text, version information): the viewer host
// saves its pending edits and routes the Edit commands and their enabling to it.
#pragma once

#include "document/PendingEdits.h"

namespace vellum::gui {

class EditableView : public PendingEdits {
public:
    // Writes the pending edits into the file; false when that failed (reported by the view).
    virtual bool SavePendingEdits() = 0;
    virtual void Copy() = 0;
    virtual void Cut() = 0;
    virtual void Paste() = 0;
    virtual void Undo() = 0;
    virtual bool CanCopy() const = 0;
    virtual bool CanCut() const = 0;
    virtual bool CanPaste() const = 0;
    virtual bool CanUndo() const = 0;
};

} // namespace vellum::gui
