#include "application/GuardedApplication.h"

#include "common/Strings.h"

#include <cstdio>
#include <exception>
#include <new>

namespace vellum::gui {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        Report("There was not enough memory to finish this operation, so it was stopped. Save "
               "your work, close other programs and try again.");
    } catch (const std::exception& e) {
        Report(Format("An unexpected error stopped this operation: %s", e.what()).c_str());
    }
    return false;
}

// The message box runs an event loop of its own; an exception inside it is only written out.
void GuardedApplication::Report(const char* what) {
    if (!prompter_ || reporting_) {
        std::fprintf(stderr, "vellum: %s\n", what);
        return;
    }
    reporting_ = true;
    prompter_->Ask(what, "Vellum", MB_OK | MB_ICONERROR);
    reporting_ = false;
}

} // namespace vellum::gui
