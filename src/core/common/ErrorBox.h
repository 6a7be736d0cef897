// The message dialog that shows the calling thread's error trail: a short message, a details pane
// with the whole trail, and a button that turns the trail into an e-mail report.
#pragma once

#include <string>
#include <vector>

#include "Prompter.h"

namespace vellum {

// The address error reports and feedback are sent to.
extern const char* const kSupportAddress;

class ErrorBox {
public:
    ErrorBox();

    // Nine captions: OK, Cancel, Abort, Retry, Ignore, Yes, No, Details, SendReport. Fewer leave
    // the rest at their defaults.
    void SetButtonCaptions(const ButtonCaptions& captions);
    void SetErrorTitle(const std::string& title) { title_ = title; }

    // The dialog for the current trail, which it takes (the trail is empty afterwards).
    MessageDialog Build(unsigned style, const std::vector<std::string>& custom = {}) const;
    // Builds the dialog, shows it and returns the pressed button's result code.
    int Show(Prompter& prompter, unsigned style, const std::vector<std::string>& custom = {}) const;

    // "Details >>" and "SendReport..." as the dialog labels its two extra buttons.
    std::string DetailsCaption() const { return captions_[7] + " >>"; }
    std::string SendReportCaption() const { return captions_[8] + "..."; }

private:
    ButtonCaptions captions_;
    std::string title_;
};

// The mail link that "SendReport" opens: the details made safe for a link (CR LF as "%0d",
// double quotes as apostrophes, spaces as "%20") under the subject "Error%20Report".
std::string MakeReportMailLink(const std::string& details);

} // namespace vellum
