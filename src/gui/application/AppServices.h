// What the application hands to its document, view and main window: the data folder, the prompter
// that answers questions and shows messages, the error dialog's settings and the outside editors.
#pragma once

#include "common/ErrorBox.h"
#include "common/ErrorTrail.h"
#include "common/Prompter.h"
#include "platform/ExternalEditors.h"

#include <string>

namespace vellum::gui {

struct AppServices {
    Prompter& prompter;
    ErrorBox& errorBox;
    std::string dataFolder; // ends in a separator
    bool debugMode = true;
    EditorLists editors; // loaded at start-up, saved at exit
    int optionsTab = 0;  // the Options dialog's page shown last in this run
    // How outside editors are started; null: through the desktop (tests put a script here).
    EditorFallbacks* editorFallbacks = nullptr;

    // Shows the calling thread's error trail with an OK button.
    void ShowErrorTrail() { errorBox.Show(prompter, MB_OK | MB_ICONHAND); }
    // The same, only when a failure was reported (a declined question reports none).
    void ShowErrorTrailIfAny() {
        if (PeekErrorTrail())
            ShowErrorTrail();
    }
};

} // namespace vellum::gui
