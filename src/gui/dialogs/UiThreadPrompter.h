// A prompter for work that runs on a worker thread: every question is asked on the user-interface
// thread, through the application's own prompter, and the worker waits for the answer.
#pragma once

#include "common/Prompter.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace vellum::gui {

class UiThreadPrompter final : public Prompter {
public:
    explicit UiThreadPrompter(Prompter& inner) : inner_(inner) {}

    int Show(const MessageDialog& dialog) override {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread())
            return inner_.Show(dialog);
        int result = dialog.DefaultResult();
        QMetaObject::invokeMethod(
            app, [&] { result = inner_.Show(dialog); }, Qt::BlockingQueuedConnection);
        return result;
    }

private:
    Prompter& inner_;
};

} // namespace vellum::gui
