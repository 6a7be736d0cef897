// A dialog drawn from its template: a window frame with the title bar the styles ask for, and
// the client area with one inert widget per control, placed by the dialog-unit conversion of
// the dialog's own font.
#pragma once

#include "formats/DialogControl.h"
#include "formats/DialogTemplate.h"
#include "formats/DialogUnits.h"
#include "views/DialogResources.h"

#include <QFont>
#include <QPixmap>
#include <QWidget>
#include <optional>
#include <vector>

class QMenuBar;

namespace vellum::gui {

// The font a dialog's text is drawn in: the template's typeface, point size, weight and italic
// (with the usual Windows interface faces behind it for systems that lack the typeface); a bold
// system face for a dialog without DS_SETFONT.
QFont DialogFontOf(const DialogTemplate& dialog);
// The base units a font gives, measured as Windows measures them.
DialogBaseUnits MeasureBaseUnits(const QFont& font);

class DialogPreview : public QWidget {
    Q_OBJECT
public:
    // `units` replaces the measured base units when given.
    DialogPreview(const DialogTemplate& dialog, const DialogResources& resources,
                  std::optional<DialogBaseUnits> units, QWidget* parent = nullptr);

    DialogBaseUnits Units() const { return units_; }
    // The client area, whose children are the controls.
    QWidget* Client() { return client_; }
    // The widget of the template's `index`-th control.
    QWidget* Control(std::size_t index) { return controls_.at(index); }
    std::size_t ControlCount() const { return controls_.size(); }
    const QString& Caption() const { return caption_; }
    bool HasTitleBar() const { return titleHeight_ > 0; }
    // The window's menu, when the template names one the resources hold; null otherwise.
    QMenuBar* MenuBar() { return menuBar_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void MeasureFrame(const DialogTemplate& dialog);
    void AddMenuBar(const DialogTemplate& dialog, const DialogResources& resources);
    void AddControls(const DialogTemplate& dialog, const DialogResources& resources);
    QWidget* AddControl(const DialogItem& item, const DialogResources& resources);
    void PlaceImage(QWidget* widget, const ControlLook& look, const PixelRect& rect);
    void AttachUpDowns(const DialogTemplate& dialog);
    void PaintTitleBar(QPainter& painter);

    DialogBaseUnits units_;
    QWidget* client_;
    QMenuBar* menuBar_ = nullptr;
    std::vector<QWidget*> controls_;
    QString caption_;
    std::uint32_t style_ = 0;
    std::uint32_t exStyle_ = 0;
    int border_ = 0;
    int titleHeight_ = 0;
};

} // namespace vellum::gui
