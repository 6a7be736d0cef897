// Questions and notices raised inside operations, answered by whoever drives them: the console in
// batch mode, a script in tests, message boxes in the window.
#pragma once

#include <deque>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
// Message-box style bits and answers, with their Win32 values.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONHAND = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONASTERISK = 0x40;
constexpr unsigned MB_ICONERROR = MB_ICONHAND;
constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr unsigned MB_DEFBUTTON1 = 0x000;
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;
constexpr unsigned MB_DEFBUTTON4 = 0x300;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
#endif

namespace vellum {

// Style bits 0-3 choose the button set; this value selects caller-given captions.
constexpr unsigned kStyleCustomButtons = 0x6;

enum class DialogIcon { None, Hand, Question, Exclamation, Asterisk };

struct DialogButton {
    std::string caption;
    int result = 0;
};

// Everything a message box shows, decided from a style word without any window.
struct MessageDialog {
    std::string title;
    std::string message;
    std::string details; // empty for plain questions
    std::vector<DialogButton> buttons;
    std::size_t defaultButton = 0; // index into buttons
    DialogIcon icon = DialogIcon::None;

    int DefaultResult() const { return buttons.empty() ? IDOK : buttons[defaultButton].result; }
};

// The standard captions in the order the application sets them: OK, Cancel, Abort, Retry,
// Ignore, Yes, No, Details, SendReport.
using ButtonCaptions = std::vector<std::string>;
const ButtonCaptions& DefaultButtonCaptions();

// Builds the buttons, default button and icon of a style. For the custom style, up to four
// captions come from `custom`.
MessageDialog MakeMessageDialog(const std::string& text, const std::string& caption, unsigned style,
                                const ButtonCaptions& captions = DefaultButtonCaptions(),
                                const std::vector<std::string>& custom = {});

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows a dialog and returns the result code of the pressed button.
    virtual int Show(const MessageDialog& dialog) = 0;
    // A plain message box: text, caption and MB_* style.
    int Ask(const std::string& text, const std::string& caption, unsigned style);
};

// Batch mode: prints "caption: text" to stderr and answers with the default button.
class ConsolePrompter : public Prompter {
public:
    int Show(const MessageDialog& dialog) override;
};

// Tests: records every dialog and answers from a script; when the script runs out, the default
// button answers.
class ScriptedPrompter : public Prompter {
public:
    explicit ScriptedPrompter(std::deque<int> answers = {}) : answers_(std::move(answers)) {}
    int Show(const MessageDialog& dialog) override;

    void Answer(int result) { answers_.push_back(result); }
    const std::vector<MessageDialog>& Shown() const { return shown_; }

private:
    std::deque<int> answers_;
    std::vector<MessageDialog> shown_;
};

} // namespace vellum
