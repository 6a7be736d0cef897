#include "ErrorBox.h"

#include "ErrorTrail.h"
#include "Strings.h"
#include "common/TrailModules.h"

namespace vellum {

const char* const kSupportAddress = "support@quillon.example";

namespace {

constexpr const char* kModule = trail::kErrorBox;

// The message is the trail up to its first blank line (the header of the first record); the
// details are the whole trail.
void FillTexts(MessageDialog& dialog, const std::optional<std::string>& trail) {
    if (!trail) {
        dialog.message = "Unspecified Error.";
        dialog.details = Format("UnspecifiedError.\r\n%s(%d) : 0x%08X", kModule, __LINE__,
                                static_cast<unsigned>(E_FAIL));
        return;
    }
    std::size_t blank = trail->find("\r\n\r\n");
    dialog.message = trail->substr(0, blank) + "\r\n";
    dialog.details = *trail + "\r\n";
}

} // namespace

ErrorBox::ErrorBox() : captions_(DefaultButtonCaptions()) {}

void ErrorBox::SetButtonCaptions(const ButtonCaptions& captions) {
    for (std::size_t i = 0; i < captions.size() && i < captions_.size(); ++i)
        captions_[i] = captions[i];
}

MessageDialog ErrorBox::Build(unsigned style, const std::vector<std::string>& custom) const {
    MessageDialog dialog = MakeMessageDialog({}, title_, style, captions_, custom);
    FillTexts(dialog, TakeErrorTrail());
    return dialog;
}

int ErrorBox::Show(Prompter& prompter, unsigned style,
                   const std::vector<std::string>& custom) const {
    return prompter.Show(Build(style, custom));
}

std::string MakeReportMailLink(const std::string& details) {
    std::string body;
    for (std::size_t i = 0; i < details.size(); ++i) {
        char c = details[i];
        if (c == '\r' && i + 1 < details.size() && details[i + 1] == '\n') {
            body += "%0d";
            ++i;
        } else if (c == '"') {
            body += '\'';
        } else if (c == ' ') {
            body += "%20";
        } else {
            body += c;
        }
    }
    return Format("mailto:%s?subject=Error%%20Report&body=%s", kSupportAddress, body.c_str());
}

} // namespace vellum
