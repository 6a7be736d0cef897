// Reading the dialog template and placing its preview.
#include "views/DialogView.h"

#include "views/DialogPreview.h"
#include "views/ProjectImages.h"

#include <QLabel>
#include <QScrollArea>

namespace vellum::gui {

namespace {

// The size Windows loads an icon at for an SS_ICON static (SM_CXICON).
constexpr int kIconSize = 32;

} // namespace

DialogView::DialogView(QWidget* parent) : TemplatePane("DialogView", parent) {
    scroll_ = new QScrollArea;
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    SetContent(scroll_);
}

void DialogView::Clear() {
    delete scroll_->takeWidget();
    preview_ = nullptr;
    dialog_.reset();
}

void DialogView::Show(const std::string& path, Project* project, XmlNode* fileNode) {
    Clear();
    std::vector<std::uint8_t> bytes;
    if (!Load(path, project, fileNode, bytes))
        return;
    dialog_ = DialogTemplate::Parse(ByteView(bytes.data(), bytes.size()));
    if (!dialog_) {
        ShowMessage(QString("This dialog template cannot be read: its %1 bytes end before the "
                            "header, a string or a control is complete. View Hex shows them.")
                        .arg(bytes.size()));
        return;
    }
    DialogImageSource images = [project](const NameOrOrdinal& name, bool icon) {
        if (!project)
            return QPixmap();
        return icon ? ProjectIcon(*project, name, kIconSize) : ProjectBitmap(*project, name);
    };
    preview_ = new DialogPreview(*dialog_, images, fixedUnits_);
    scroll_->setWidget(preview_);
}

bool DialogView::AddToScript(ResourceScript& script, const NameOrOrdinal& name,
                             std::uint16_t language) const {
    if (!dialog_)
        return false;
    script.AddDialog(name, language, *dialog_);
    return true;
}

} // namespace vellum::gui
