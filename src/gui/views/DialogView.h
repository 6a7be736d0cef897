// The dialog pane: the dialog resource drawn as Windows would show it, at the left edge below
// the toolbar band, with its icons and bitmaps taken from the project. A preview only: the
// controls take no input, and nothing is written back.
#pragma once

#include "formats/DialogTemplate.h"
#include "formats/DialogUnits.h"
#include "views/TemplatePane.h"

#include <optional>

class QScrollArea;

namespace vellum::gui {

class DialogPreview;

class DialogView : public TemplatePane {
    Q_OBJECT
public:
    explicit DialogView(QWidget* parent = nullptr);

    // Shows the dialog template in the file; a damaged one as a line saying why.
    void Show(const std::string& path, Project* project, XmlNode* fileNode);
    // Fixed base units instead of those of the dialog's font (for pictures that must not depend
    // on the fonts installed); nothing measures the font again. Takes effect on the next Show.
    void SetBaseUnits(std::optional<DialogBaseUnits> units) { fixedUnits_ = units; }

    // The dialog shown; null when none is.
    DialogPreview* Preview() { return preview_; }
    const std::optional<DialogTemplate>& Template() const { return dialog_; }

protected:
    bool AddToScript(ResourceScript& script, const NameOrOrdinal& name,
                     std::uint16_t language) const override;

private:
    void Clear();

    QScrollArea* scroll_;
    DialogPreview* preview_ = nullptr;
    std::optional<DialogTemplate> dialog_;
    std::optional<DialogBaseUnits> fixedUnits_;
};

} // namespace vellum::gui
