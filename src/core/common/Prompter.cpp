#include "Prompter.h"

#include <array>
#include <cstdio>

namespace vellum {

namespace {

enum Caption { kOk, kCancel, kAbort, kRetry, kIgnore, kYes, kNo };

struct StandardButton {
    Caption caption;
    int result;
};

// The Win32 button sets of style values 0 to 5, in button order.
const std::array<std::vector<StandardButton>, 6> kStandardSets = {{
    {{kOk, IDOK}},
    {{kOk, IDOK}, {kCancel, IDCANCEL}},
    {{kAbort, IDABORT}, {kRetry, IDRETRY}, {kIgnore, IDIGNORE}},
    {{kYes, IDYES}, {kNo, IDNO}, {kCancel, IDCANCEL}},
    {{kYes, IDYES}, {kNo, IDNO}},
    {{kRetry, IDRETRY}, {kCancel, IDCANCEL}},
}};

// Caller-given captions answer by position. Position 4 answers IDABORT; the first three take the
// distinct codes 1, 2 and 5 so that no two buttons of one dialog share a result.
constexpr std::array<int, 4> kCustomResults = {IDOK, IDCANCEL, IDIGNORE, IDABORT};

DialogIcon IconOf(unsigned style) {
    switch (style & 0xF0) {
    case MB_ICONHAND: return DialogIcon::Hand;
    case MB_ICONQUESTION: return DialogIcon::Question;
    case MB_ICONEXCLAMATION: return DialogIcon::Exclamation;
    case MB_ICONASTERISK: return DialogIcon::Asterisk;
    default: return DialogIcon::None;
    }
}

std::string CaptionAt(const ButtonCaptions& captions, Caption which) {
    static const ButtonCaptions& fallback = DefaultButtonCaptions();
    std::size_t i = static_cast<std::size_t>(which);
    return i < captions.size() ? captions[i] : fallback[i];
}

} // namespace

const ButtonCaptions& DefaultButtonCaptions() {
    static const ButtonCaptions captions = {"OK",  "Cancel", "Abort",   "Retry",     "Ignore",
                                            "Yes", "No",     "Details", "SendReport"};
    return captions;
}

MessageDialog MakeMessageDialog(const std::string& text, const std::string& caption, unsigned style,
                                const ButtonCaptions& captions,
                                const std::vector<std::string>& custom) {
    MessageDialog dialog;
    dialog.title = caption;
    dialog.message = text;
    dialog.icon = IconOf(style);
    unsigned set = style & 0x0F;
    if (set == kStyleCustomButtons) {
        for (std::size_t i = 0; i < custom.size() && i < kCustomResults.size(); ++i)
            dialog.buttons.push_back({custom[i], kCustomResults[i]});
    } else {
        for (const StandardButton& b : kStandardSets[set < kStandardSets.size() ? set : 0])
            dialog.buttons.push_back({CaptionAt(captions, b.caption), b.result});
    }
    if (dialog.buttons.empty())
        dialog.buttons.push_back({CaptionAt(captions, kOk), IDOK});
    std::size_t wanted = (style >> 8) & 0x3;
    dialog.defaultButton = wanted < dialog.buttons.size() ? wanted : 0;
    return dialog;
}

int Prompter::Ask(const std::string& text, const std::string& caption, unsigned style) {
    return Show(MakeMessageDialog(text, caption, style));
}

int ConsolePrompter::Show(const MessageDialog& dialog) {
    std::fprintf(stderr, "%s: %s\n", dialog.title.c_str(), dialog.message.c_str());
    if (!dialog.details.empty() && dialog.details != dialog.message)
        std::fprintf(stderr, "%s\n", dialog.details.c_str());
    return dialog.DefaultResult();
}

int ScriptedPrompter::Show(const MessageDialog& dialog) {
    shown_.push_back(dialog);
    if (answers_.empty())
        return dialog.DefaultResult();
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

} // namespace vellum
