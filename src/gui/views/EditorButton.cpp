// The Edit button with its drop-down of outside editors.
#include "views/EditorButton.h"

#include "application/QtEditorFallbacks.h"
#include "dialogs/OptionsDialog.h"

#include <QMenu>

namespace vellum::gui {

EditorButton::EditorButton(AppServices& app, EditorKind kind, QWidget* parent)
    : QToolButton(parent), app_(app), kind_(kind) {
    setObjectName("EditorButton");
    setText("Edit");
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setPopupMode(QToolButton::MenuButtonPopup);
    setMenu(new QMenu(this));
    connect(menu(), &QMenu::aboutToShow, this, &EditorButton::FillMenu);
    connect(this, &QToolButton::clicked, this, [this] { RunEditor(nullptr); });
    setEnabled(false);
}

void EditorButton::SetFile(const std::string& path) {
    file_ = path;
    setEnabled(!file_.empty());
}

void EditorButton::RunEditor(const EditorEntry* entry) {
    if (file_.empty())
        return;
    const std::vector<EditorEntry>& editors = app_.editors.List(kind_);
    const EditorEntry* editor = entry ? entry : editors.empty() ? nullptr : &editors.front();
    if (runCheck_ && !runCheck_(editor))
        return;
    QtEditorFallbacks desktop;
    EditorFallbacks& fallbacks = app_.editorFallbacks ? *app_.editorFallbacks : desktop;
    if (FAILED(vellum::RunEditor(kind_, file_, entry, app_.editors, fallbacks)))
        app_.ShowErrorTrail();
}

void EditorButton::FillMenu() {
    menu()->clear();
    const std::vector<EditorEntry>& editors = app_.editors.List(kind_);
    for (std::size_t i = 0; i < editors.size(); ++i) {
        // The entry is copied: the Options dialog may change the list before the item is chosen.
        EditorEntry entry = editors[i];
        menu()->addAction(QString::fromStdString(entry.name), this,
                          [this, entry] { RunEditor(&entry); });
    }
    if (!editors.empty())
        menu()->addSeparator();
    menu()->addAction("Customize Editors ...", this, &EditorButton::Customize);
}

void EditorButton::Customize() {
    OptionsDialog dialog(app_, window());
    dialog.exec();
}

} // namespace vellum::gui
