// What the application hands to its document, view and main window: the data folder, the prompter
// that answers questions and shows messages, and the error dialog's settings.
#pragma once

#include "common/ErrorBox.h"
#include "common/ErrorTrail.h"
#include "common/Prompter.h"

#include <string>

namespace vellum::gui {

struct AppServices {
    Prompter& prompter;
    ErrorBox& errorBox;
    std::string dataFolder; // ends in a separator
    bool debugMode = true;

    // Shows the calling thread's error trail with an OK button.
    void ShowErrorTrail() { errorBox.Show(prompter, MB_OK | MB_ICONHAND); }
    // The same, only when a failure was reported (a declined question reports none).
    void ShowErrorTrailIfAny() {
        if (PeekErrorTrail())
            ShowErrorTrail();
    }
};

} // namespace vellum::gui
