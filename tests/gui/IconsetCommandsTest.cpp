// Tools > Apply Iconset on a small Wine prefix built here: the progress dialog, the result dialog
// and what the prefix holds afterwards.
#include "document/IconsetCommands.h"

#include "GuiFixture.h"
#include "common/ErrorTrail.h"
#include "dialogs/ApplyResultDialog.h"
#include "dialogs/WorkProgressDialog.h"
#include "platform/WinePrefix.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

namespace vellum::test {
namespace {

namespace fs = std::filesystem;
using gui::ApplyResultDialog;

const char kShellIcons[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons";

const char kSystemReg[] = R"reg(WINE REGISTRY Version 2
;; All keys relative to \\Machine

[Software\\Microsoft\\Windows NT\\CurrentVersion] 1700000000
"SystemRoot"="C:\\windows"

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons] 1700000000
"3"="old three"
)reg";

const char kCatalogue[] = R"xml(<?xml version='1.0' encoding='ISO-8859-1'?>
<Root>
   <INFO ICONS="0"/>
   <Explorer ICONS="2">
      <I3 Name="Folder Closed"/>
      <I99 Name="Test Value" Loc="HKCU\Software\Test\One"/>
      <I99 Name="Missing" Loc="HKCU\Software\Test\Missing"/>
   </Explorer>
</Root>
)xml";

const char kIconset[] = R"xml(<?xml version='1.0' encoding='ISO-8859-1'?>
<Root>
   <Info Author="Tester"/>
   <Icons>
      <FolderClosed Icon="set.icl,0"/>
      <TestValue Icon="set.icl,1"/>
      <Missing Icon="gone.ico"/>
   </Icons>
</Root>
)xml";

class IconsetCommandsTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        std::string prefix = scratch_ / "prefix";
        fs::create_directories(prefix + "/drive_c/windows/system32");
        fs::create_directories(prefix + "/dosdevices");
        fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
        fs::create_directory_symlink("/", prefix + "/dosdevices/z:");
        WriteFileText(prefix + "/system.reg", kSystemReg);
        WriteFileText(prefix + "/user.reg", "WINE REGISTRY Version 2\n");
        const char* old = std::getenv("WINEPREFIX");
        oldPrefix_ = old ? old : "";
        hadPrefix_ = old != nullptr;
        setenv("WINEPREFIX", prefix.c_str(), 1);
        WriteFileText(dataFolder_ + "IconConfig.xml", kCatalogue);
        fs::create_directories(scratch_ / "sets");
        WriteFileText(scratch_ / "sets/Test.iconset", kIconset);
        WriteFileText(scratch_ / "sets/set.icl", "MZ library");
        StartApp();
    }
    void TearDown() override {
        if (hadPrefix_)
            setenv("WINEPREFIX", oldPrefix_.c_str(), 1);
        else
            unsetenv("WINEPREFIX");
        GuiTest::TearDown();
    }

    std::string Read(RootKey root, const std::string& key, const std::string& name) {
        WinePrefix wine(scratch_ / "prefix");
        std::string value;
        return SUCCEEDED(wine.ReadString(root, key, name, &value)) ? value : "<none>";
    }

    // What the result dialog showed; it is closed as soon as it is read.
    struct Shown {
        QString title;
        QString summary;
        QStringList pages;
        QStringList written;
        QStringList skipped;
        QString backup;
    };
    Shown ApplyAndReadResult(const std::string& path) {
        Shown shown;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<ApplyResultDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            dialog->resize(720, 420);
            dialog->grab().save(QString::fromStdString(ScreenshotPath("apply-result.png")));
            shown.title = dialog->windowTitle();
            shown.summary = dialog->findChild<QLabel*>("ApplySummary")->text();
            shown.pages = dialog->PageTitles();
            shown.written = dialog->PageLines(0);
            shown.skipped = dialog->PageLines(1);
            shown.backup = dialog->findChild<QLineEdit*>("BackupFolder")->text();
            dialog->accept();
        });
        poll.start();
        Window().Iconsets()->ApplyFile(QString::fromStdString(path));
        return shown;
    }

    std::string oldPrefix_;
    bool hadPrefix_ = false;
};

TEST_F(IconsetCommandsTest, ApplyShowsWhatWasWrittenSkippedAndWhereTheBackupIs) {
    ASSERT_TRUE(Window().Action("tools.apply")->isEnabled());
    Shown shown = ApplyAndReadResult(scratch_ / "sets/Test.iconset");

    EXPECT_EQ(shown.title, "Apply Iconset");
    EXPECT_EQ(shown.summary.toStdString(),
              "Applied " + (scratch_ / "sets/Test.iconset") + " (3 icons).");
    EXPECT_EQ(shown.pages, (QStringList{"Written (2)", "Skipped (1)", "Failed (0)"}));
    std::string set = Read(RootKey::LocalMachine, kShellIcons, "3");
    EXPECT_NE(set.find("Current.ico\\set.icl,0"), std::string::npos) << set;
    EXPECT_EQ(set.rfind("Z:\\", 0), 0u) << "the data folder is reached through Z:";
    EXPECT_EQ(Read(RootKey::CurrentUser, "Software\\Test\\One", ""),
              set.substr(0, set.size() - 1) + "1");
    EXPECT_TRUE(shown.written.join("\n").contains("Shell Icons"));
    EXPECT_TRUE(shown.skipped.join("\n").contains("gone.ico"));
    ASSERT_FALSE(shown.backup.isEmpty());
    EXPECT_TRUE(fs::is_regular_file(shown.backup.toStdString() + "registry.reg"));
    EXPECT_TRUE(prompter_.Shown().empty());
}

TEST_F(IconsetCommandsTest, AnIconsetWithoutIconsIsRefusedAndChangesNothing) {
    WriteFileText(scratch_ / "sets/Test.iconset", "<Root><Info/><Icons/></Root>");
    std::string before = ReadFileText(scratch_ / "prefix/system.reg");
    Window().Iconsets()->ApplyFile(QString::fromStdString(scratch_ / "sets/Test.iconset"));
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    EXPECT_EQ(prompter_.Shown()[0].title, "Load Failed");
    EXPECT_EQ(prompter_.Shown()[0].message,
              "The file\n\n" + (scratch_ / "sets/Test.iconset") + "\n\nDoes not have any icons.\n");
    EXPECT_EQ(ReadFileText(scratch_ / "prefix/system.reg"), before);
}

TEST_F(IconsetCommandsTest, WithoutAPrefixTheCommandSaysWhy) {
    setenv("WINEPREFIX", (scratch_ / "nowhere").c_str(), 1);
    Window().Iconsets()->ApplyFile(QString::fromStdString(scratch_ / "sets/Test.iconset"));
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    EXPECT_NE(
        prompter_.Shown()[0].message.find("There is no Wine prefix at " + (scratch_ / "nowhere")),
        std::string::npos);
}

TEST_F(IconsetCommandsTest, TheProgressDialogCannotBeClosedWhileItRuns) {
    gui::WorkProgressDialog dialog("Work", &Window());
    std::vector<int> percents;
    QObject::connect(&dialog, &gui::WorkProgressDialog::Progressed,
                     [&](int percent, const QString&) { percents.push_back(percent); });
    bool stillShown = false;
    HRESULT hr = dialog.Run([&](ProgressSink& sink) {
        sink.SetStatus("Half way");
        sink.SetPercent(50);
        QMetaObject::invokeMethod(
            &dialog,
            [&] {
                static_cast<QDialog&>(dialog).reject(); // Esc
                dialog.close();
                stillShown = dialog.isVisible();
            },
            Qt::BlockingQueuedConnection);
        sink.SetPercent(100);
        ReportError("Test", 1, E_FAIL, "from the worker");
        return E_FAIL;
    });
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_TRUE(stillShown);
    EXPECT_FALSE(dialog.isVisible()) << "hidden once the work is done";
    EXPECT_EQ(dialog.Percent(), 100);
    EXPECT_EQ(dialog.Status(), "Half way");
    EXPECT_EQ(percents, (std::vector<int>{0, 50, 100}));
    EXPECT_NE(TakeErrorTrail().value_or("").find("from the worker"), std::string::npos)
        << "the worker's trail reaches the window's thread";
}

} // namespace
} // namespace vellum::test
