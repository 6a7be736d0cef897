#include <gtest/gtest.h>

#include "common/ErrorBox.h"
#include "common/ErrorTrail.h"

using namespace vellum;

namespace {
std::vector<int> Results(const MessageDialog& d) {
    std::vector<int> out;
    for (const DialogButton& b : d.buttons)
        out.push_back(b.result);
    return out;
}
} // namespace

TEST(ErrorBox, MessageShowsTheFirstRecordAndDetailsTheWholeTrail) {
    ClearErrorTrail();
    ReportError("EXEDUMP", 12, E_FAIL, "inner\n");
    ReportError("Vellum", 345, E_FAIL, "outer");
    ErrorBox box;
    box.SetErrorTitle("Vellum Error");
    MessageDialog d = box.Build(MB_OK | MB_ICONHAND);
    EXPECT_EQ(d.title, "Vellum Error");
    EXPECT_EQ(d.message, "EXEDUMP(  12) : 0x80004005\r\n");
    EXPECT_EQ(d.details, "EXEDUMP(  12) : 0x80004005\r\n\r\ninner\n"
                         "Vellum( 345) : 0x80004005\r\n\r\nouter\r\n");
    EXPECT_EQ(d.icon, DialogIcon::Hand);
    EXPECT_FALSE(PeekErrorTrail().has_value()) << "showing the trail takes it";

    MessageDialog none = box.Build(MB_OK);
    EXPECT_EQ(none.message, "Unspecified Error.");
    EXPECT_EQ(none.details.rfind("UnspecifiedError.\r\nErrorDlg(", 0), 0u);
    EXPECT_NE(none.details.find(") : 0x80004005"), std::string::npos);
}

TEST(ErrorBox, ButtonSetsAndResultCodes) {
    EXPECT_EQ(Results(MakeMessageDialog("", "", 0)), (std::vector<int>{1}));
    EXPECT_EQ(Results(MakeMessageDialog("", "", 1)), (std::vector<int>{1, 2}));
    EXPECT_EQ(Results(MakeMessageDialog("", "", 2)), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(Results(MakeMessageDialog("", "", 3)), (std::vector<int>{6, 7, 2}));
    EXPECT_EQ(Results(MakeMessageDialog("", "", 4)), (std::vector<int>{6, 7}));
    EXPECT_EQ(Results(MakeMessageDialog("", "", 5)), (std::vector<int>{4, 2}));
    MessageDialog custom = MakeMessageDialog("", "", 6, DefaultButtonCaptions(),
                                             {"Skip", "Stop", "Again", "All"});
    EXPECT_EQ(custom.buttons[3].caption, "All");
    EXPECT_EQ(custom.buttons[3].result, 3);
}

TEST(ErrorBox, DefaultButtonBitsAndScriptedAnswers) {
    MessageDialog d = MakeMessageDialog("Delete?", "Vellum", MB_YESNO | MB_DEFBUTTON2);
    EXPECT_EQ(d.buttons[d.defaultButton].caption, "No");
    ScriptedPrompter prompter;
    EXPECT_EQ(prompter.Show(d), IDNO) << "the default button answers";
    EXPECT_EQ(prompter.Ask("Delete?", "Vellum", MB_YESNO | MB_DEFBUTTON4), IDYES)
        << "a default beyond the last button falls back to the first";
    prompter.Answer(IDRETRY);
    EXPECT_EQ(prompter.Ask("Again?", "Vellum", MB_RETRYCANCEL), IDRETRY);
    ASSERT_EQ(prompter.Shown().size(), 3u);
    EXPECT_EQ(prompter.Shown()[2].message, "Again?");
}

TEST(ErrorBox, CaptionsAndMailLink) {
    ErrorBox box;
    box.SetButtonCaptions({"Okay", "Abbrechen"});
    ReportError("A", 1, E_FAIL, "x");
    MessageDialog d = box.Build(MB_OKCANCEL);
    EXPECT_EQ(d.buttons[0].caption, "Okay");
    EXPECT_EQ(d.buttons[1].caption, "Abbrechen");
    EXPECT_EQ(box.DetailsCaption(), "Details >>");
    EXPECT_EQ(box.SendReportCaption(), "SendReport...");
    EXPECT_EQ(MakeReportMailLink("a \"b\"\r\nc"),
              std::string("mailto:") + kSupportAddress +
                  "?subject=Error%20Report&body=a%20'b'%0dc");
}
