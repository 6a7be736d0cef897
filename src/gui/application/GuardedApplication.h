// The window program's QApplication. An event handler that runs out of memory (a huge resource on
// a small machine) or meets an unexpected exception would end the whole program through
// std::terminate, taking unsaved work with it; here the event is dropped and the user told, so
// that the open project can still be saved.
#pragma once

#include "common/Prompter.h"

#include <QApplication>

namespace vellum::gui {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    // Where the message goes; without one it goes to standard error.
    void SetPrompter(Prompter* prompter) { prompter_ = prompter; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void Report(const char* what);

    Prompter* prompter_ = nullptr;
    bool reporting_ = false;
};

} // namespace vellum::gui
