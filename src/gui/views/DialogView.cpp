// Reading the dialog template and placing its preview.
#include "views/DialogView.h"

#include "views/DialogPreview.h"

#include <QLabel>
#include <QScrollArea>

namespace vellum::gui {

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
    dialog_ = LoadParsed<DialogTemplate>(path, project, fileNode, "dialog template");
    if (!dialog_)
        return;
    preview_ = new DialogPreview(*dialog_, ProjectDialogResources(project), fixedUnits_);
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
