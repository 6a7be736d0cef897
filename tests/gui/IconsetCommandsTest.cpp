// Tools > Apply Iconset on a small Wine prefix built here: the progress dialog, the result dialog
// and what the prefix holds afterwards.
#include "document/IconsetCommands.h"

#include "GuiFixture.h"
#include "common/ErrorTrail.h"
#include "dialogs/ApplyResultDialog.h"
#include "dialogs/RestoreIconsDialog.h"
#include "dialogs/WorkProgressDialog.h"
#include "platform/WinePrefix.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

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
        return ReadResult("apply-result.png",
                          [&] { Window().Iconsets()->ApplyFile(QString::fromStdString(path)); });
    }
    template <typename Command> Shown ReadResult(const char* screenshot, Command command) {
        Shown shown;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<ApplyResultDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            dialog->resize(720, 420);
            dialog->grab().save(QString::fromStdString(ScreenshotPath(screenshot)));
            shown.title = dialog->windowTitle();
            shown.summary = dialog->findChild<QLabel*>("ApplySummary")->text();
            shown.pages = dialog->PageTitles();
            shown.written = dialog->PageLines(0);
            shown.skipped = dialog->PageLines(1);
            shown.backup = dialog->findChild<QLineEdit*>("BackupFolder")->text();
            dialog->accept();
        });
        poll.start();
        command();
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

TEST_F(IconsetCommandsTest, AnIconsetThatIsGoneIsNamedAndNothingChanges) {
    std::string gone = scratch_ / "sets/Gone.iconzip"; // as a double click on a moved file
    std::string before = ReadFileText(scratch_ / "prefix/system.reg");
    Window().Iconsets()->ApplyFile(QString::fromStdString(gone));
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    const MessageDialog& shown = prompter_.Shown()[0];
    EXPECT_NE((shown.message + shown.details).find("The iconset " + gone + " does not exist."),
              std::string::npos)
        << shown.message << shown.details;
    EXPECT_EQ(ReadFileText(scratch_ / "prefix/system.reg"), before);
    EXPECT_FALSE(fs::exists(dataFolder_ + "Current.ico"));
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

TEST_F(IconsetCommandsTest, RestoreIconsPutsBackTheStateBeforeTheApply) {
    std::string systemBefore = ReadFileText(scratch_ / "prefix/system.reg");
    std::string userBefore = ReadFileText(scratch_ / "prefix/user.reg");
    ApplyAndReadResult(scratch_ / "sets/Test.iconset");
    ASSERT_NE(ReadFileText(scratch_ / "prefix/system.reg"), systemBefore);

    // Tools > Restore Icons lists the apply's backup; Restore puts it back.
    QStringList listed;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<gui::RestoreIconsDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->grab().save(QString::fromStdString(ScreenshotPath("restore-icons.png")));
        for (int i = 0; i < dialog->List()->topLevelItemCount(); ++i)
            listed << dialog->List()->topLevelItem(i)->text(1);
        dialog->accept();
    });
    Shown shown =
        ReadResult("restore-result.png", [&] { Window().Action("tools.restore")->trigger(); });
    ASSERT_EQ(listed.size(), 1);
    EXPECT_TRUE(listed[0].endsWith("Test.iconset")) << listed[0].toStdString();
    EXPECT_EQ(shown.title, "Restore Icons");
    EXPECT_EQ(ReadFileText(scratch_ / "prefix/system.reg"), systemBefore);
    EXPECT_EQ(ReadFileText(scratch_ / "prefix/user.reg"), userBefore);
    EXPECT_EQ(Read(RootKey::CurrentUser, "Software\\Test\\One", ""), "<none>");

    // The restore saved the applied state first: it can be undone in turn.
    ASSERT_FALSE(shown.backup.isEmpty());
    ReadResult("restore-again.png",
               [&] { Window().Iconsets()->RestoreBackup(shown.backup.toStdString()); });
    EXPECT_NE(Read(RootKey::CurrentUser, "Software\\Test\\One", "").find("set.icl,1"),
              std::string::npos);
    EXPECT_TRUE(prompter_.Shown().empty());
}

bool WineServerInstalled() {
    return std::system("command -v wineserver >/dev/null 2>&1") == 0;
}

TEST_F(IconsetCommandsTest, NothingChangesWhileWineRunsInThePrefix) {
    if (!WineServerInstalled())
        GTEST_SKIP() << "wineserver is not installed";
    std::string prefix = scratch_ / "prefix";
    std::string server = "WINEPREFIX='" + prefix + "' wineserver ";
    ASSERT_EQ(std::system((server + "-p >/dev/null 2>&1").c_str()), 0);
    for (int i = 0; i < 100 && RunningSystemBusyReason().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Window().Iconsets()->ApplyFile(QString::fromStdString(scratch_ / "sets/Test.iconset"));
    Window().Iconsets()->RestoreBackup(scratch_ / "data/Current.ico/Backup/none/");
    std::system((server + "-k >/dev/null 2>&1; " + server + "-w >/dev/null 2>&1").c_str());
    // Debian's wineserver keeps its folder in /tmp under the name the prefix's file gives.
    std::string folder =
        fs::exists(prefix + "/wineserver") ? ReadFileText(prefix + "/wineserver") : "";
    folder = folder.substr(0, folder.find('\n'));
    if (folder.rfind("wine-", 0) == 0 && folder.find('/') == std::string::npos)
        fs::remove_all("/tmp/" + folder);

    ASSERT_EQ(prompter_.Shown().size(), 2u);
    for (const MessageDialog& shown : prompter_.Shown())
        EXPECT_EQ(shown.message.rfind("Wine is running in " + prefix, 0), 0u) << shown.message;
    // The server rewrote the registry files as it ended; their values are the old ones.
    EXPECT_EQ(Read(RootKey::LocalMachine, kShellIcons, "3"), "old three");
    EXPECT_FALSE(fs::exists(scratch_ / "data/Current.ico")) << "not even the working folder";
}

TEST_F(IconsetCommandsTest, AnIconsetGivenToTheProgramIsOfferedForApplying) {
    std::string iconset = scratch_ / "sets/Test.iconset";
    app_.reset();
    prompter_.Answer(IDNO);
    StartApp(ParseCommandLine({iconset}));
    QCoreApplication::processEvents();
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    EXPECT_EQ(prompter_.Shown()[0].title, "Apply Iconset");
    EXPECT_NE(prompter_.Shown()[0].message.find(iconset), std::string::npos);
    EXPECT_EQ(Read(RootKey::LocalMachine, kShellIcons, "3"), "old three") << "No applies nothing";
    EXPECT_NE(Doc().PathName(), iconset) << "the window starts as it would without a file";

    app_.reset();
    prompter_.Answer(IDYES);
    Shown shown = ReadResult("apply-from-start.png", [&] {
        StartApp(ParseCommandLine({iconset}));
        QCoreApplication::processEvents();
    });
    EXPECT_EQ(shown.title, "Apply Iconset");
    EXPECT_NE(Read(RootKey::LocalMachine, kShellIcons, "3").find("set.icl,0"), std::string::npos);
}

} // namespace
} // namespace vellum::test
