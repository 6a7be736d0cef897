// A pane's "Edit" button: a click starts the default outside editor of the pane's kind on the
// shown file; its arrow drops down every configured editor and "Customize Editors ...", which
// opens the Options dialog.
#pragma once

#include "application/AppServices.h"

#include <QToolButton>
#include <functional>
#include <string>

namespace vellum::gui {

class EditorButton : public QToolButton {
    Q_OBJECT
public:
    EditorButton(AppServices& app, EditorKind kind, QWidget* parent = nullptr);

    // The file the editors are started on; none disables the button.
    void SetFile(const std::string& path);
    // Starts `entry`, or the list's first editor (the desktop's choice when there is none);
    // a failure is shown.
    void RunEditor(const EditorEntry* entry);
    // Rebuilds the drop-down from the current list; done each time it opens.
    void FillMenu();
    // Asked with the editor about to start (null: the desktop's choice) before anything runs;
    // false starts nothing.
    using RunCheck = std::function<bool(const EditorEntry* editor)>;
    void SetRunCheck(RunCheck check) { runCheck_ = std::move(check); }

private:
    void Customize();

    AppServices& app_;
    EditorKind kind_;
    std::string file_;
    RunCheck runCheck_;
};

} // namespace vellum::gui
