// The Options dialog and its editor pages.
#include "dialogs/OptionsDialog.h"

#include "dialogs/EditorListPage.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

struct PageInfo {
    EditorKind kind;
    const char* title;
    const char* help;
};

constexpr PageInfo kPages[] = {
    {EditorKind::Image, "Image Editors",
     "Add programs for editing your images.\nThe first entry in the list will be the default "
     "program."},
    {EditorKind::Text, "Text Editors",
     "Add programs for editing your text.\nThe first entry in the list will be the default "
     "program."},
    {EditorKind::Hex, "Hex Editors",
     "Add programs for editing your text.\nThe first entry in the list will be the default "
     "program."},
};

} // namespace

OptionsDialog::OptionsDialog(AppServices& app, QWidget* parent)
    : QDialog(parent), app_(app), tabs_(new QTabWidget) {
    setWindowTitle("Options");
    setObjectName("OptionsDialog");
    for (const PageInfo& page : kPages)
        tabs_->addTab(new EditorListPage(page.help, app_.editors.List(page.kind)), page.title);
    tabs_->setCurrentIndex(app_.optionsTab);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    resize(520, 420);
}

EditorListPage* OptionsDialog::Page(EditorKind kind) {
    return qobject_cast<EditorListPage*>(tabs_->widget(static_cast<int>(kind)));
}

void OptionsDialog::accept() {
    for (const PageInfo& page : kPages)
        app_.editors.List(page.kind) = Page(page.kind)->Entries();
    QDialog::accept();
}

// However the dialog ends, it opens on the same page next time.
void OptionsDialog::done(int result) {
    app_.optionsTab = tabs_->currentIndex();
    QDialog::done(result);
}

} // namespace vellum::gui
