// The window's message dialog: icon, message, one button per answer, and for error reports a
// "Details >>" button that shows the whole error trail and a "SendReport..." button that mails it.
#pragma once

#include "common/Prompter.h"

#include <QDialog>

class QPlainTextEdit;
class QHBoxLayout;

namespace vellum::gui {

class MessageDialogBox : public QDialog {
    Q_OBJECT
public:
    explicit MessageDialogBox(const MessageDialog& model, QWidget* parent = nullptr);

    // Runs the dialog; the pressed button's result code (the default's when it is closed).
    int Run();

private:
    void AddAnswerButtons(QHBoxLayout* row);
    void AddReportButtons(QHBoxLayout* row);
    void ToggleDetails();
    void SendReport();

    const MessageDialog& model_;
    QPlainTextEdit* details_ = nullptr;
    int result_;
};

// Questions and notices inside operations, answered through message dialogs owned by the
// active window.
class QtPrompter : public Prompter {
public:
    int Show(const MessageDialog& dialog) override;
};

} // namespace vellum::gui
