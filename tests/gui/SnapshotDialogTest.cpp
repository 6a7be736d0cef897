// The Icon Snapshot dialog on a small Wine prefix built by small_prefix.sh: the checks through the
// scripted prompter, a zipped snapshot the loaders and unzip accept, the progress on its way, a
// stop in the middle, opening the result, and the Tools command that shows the dialog.
#include "dialogs/SnapshotDialog.h"

#include "GuiFixture.h"
#include "iconset/IconSources.h"
#include "iconset/IconsetApplier.h"
#include "iconset/IconsetEngine.h"
#include "platform/WinePrefix.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace vellum::test {
namespace {

namespace fs = std::filesystem;

constexpr int kSnapshotTimeoutMs = 60000;

class SnapshotDialogTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        std::string script = std::string(VELLUM_TEST_DATA) + "/../iconset/small_prefix.sh";
        std::string command = "bash '" + script + "' '" + scratch_ / "prefix" + "' '" +
                              VELLUM_TEST_DATA + "' '" + dataFolder_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        setenv("WINEPREFIX", (scratch_ / "prefix").c_str(), 1);
        target_ = scratch_ / "prefix/drive_c/windows/Resources/Icons";
        StartApp();
        dialog_ = std::make_unique<gui::SnapshotDialog>(
            app_->Services(), [this](const QString& path) { Window().OpenPath(path); });
        ASSERT_TRUE(dialog_->Prepare());
        dialog_->show();
    }
    void TearDown() override {
        dialog_.reset();
        unsetenv("WINEPREFIX");
        GuiTest::TearDown();
    }

    // Clicks OK and returns the caption and text of the message it showed, if any.
    std::string ClickOk() {
        std::size_t before = prompter_.Shown().size();
        QTest::mouseClick(dialog_->OkButton(), Qt::LeftButton);
        if (prompter_.Shown().size() == before)
            return "";
        return prompter_.Shown().back().title + "|" + prompter_.Shown().back().message;
    }
    bool WaitUntilDone() {
        return QTest::qWaitFor([this] { return !dialog_->IsRunning(); }, kSnapshotTimeoutMs);
    }
    std::vector<std::string> TargetFiles() {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(target_))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::string target_;
    std::unique_ptr<gui::SnapshotDialog> dialog_;
};

TEST_F(SnapshotDialogTest, StartsWithTheDefaultChoices) {
    for (QCheckBox* box : dialog_->CategoryBoxes())
        EXPECT_TRUE(box->isChecked()) << box->text().toStdString();
    ASSERT_EQ(dialog_->CategoryBoxes().size(), 5u);
    EXPECT_EQ(dialog_->CategoryBoxes()[4]->text(), "E&xtension Icons");
    EXPECT_TRUE(dialog_->KeepColorsBox()->isChecked());
    EXPECT_EQ(dialog_->SizeLimitBox()->currentText(), "  64 x   64");
    EXPECT_EQ(dialog_->SizeLimitBox()->count(), 6);
    EXPECT_EQ(dialog_->SaveAsBox()->currentText(), "32 Bit Icon Library (*.icl)");
    EXPECT_EQ(dialog_->PackagingBox()->currentText(), "Lumina Iconzip (Compressed)  ");
    EXPECT_EQ(dialog_->NameEdit()->text(), "");
    EXPECT_EQ(dialog_->ProgressBar()->value(), 0);
    EXPECT_EQ(dialog_->StatusLabel()->text(), "");
    EXPECT_EQ(dialog_->windowTitle(), "Icon Snapshot");
    EXPECT_TRUE(fs::is_directory(target_));
    EXPECT_TRUE(fs::is_directory(dataFolder_ + "temp/Snapshot.tmp"));
    ASSERT_TRUE(dialog_->grab().save(QString::fromStdString(ScreenshotPath("snapshot.png"))));
}

TEST_F(SnapshotDialogTest, EveryRefusalKeepsTheDialogAndItsChoices) {
    for (QCheckBox* box : dialog_->CategoryBoxes())
        box->setChecked(false);
    EXPECT_EQ(ClickOk(), "Error: Please Select Icons|No icons are selected to be included in "
                         "icon set.\n\rPlease select icons to continue.");
    dialog_->CategoryBoxes()[1]->setChecked(true);
    EXPECT_EQ(ClickOk(), "Error: Please Specify Filename.|No filename specified.\n\rPlease "
                         "select a filename to save the icons to.");
    dialog_->NameEdit()->setText(QString(259, 'a'));
    EXPECT_EQ(ClickOk(), "Filname too long|The filename specified is too long.");
    dialog_->NameEdit()->setText("a\\b");
    EXPECT_EQ(ClickOk(), "Invalid File Name|The name\n\na\\b\n\ncontains invalid characters.");
    std::string longName(240, 'n');
    dialog_->NameEdit()->setText(QString::fromStdString(longName));
    EXPECT_EQ(ClickOk(),
              "Name too long|The name\n\n" + target_ + "/" + longName + ".iconzip\n\nis too long.");
    test::WriteFileText(target_ + "/taken.iconzip", "the user's");
    dialog_->NameEdit()->setText("taken");
    EXPECT_EQ(ClickOk(), "Error: File Exists|An iconset with the name\n\n" + target_ +
                             "/taken.iconzip\n\nalready exists. Please choose another name.");
    fs::create_directory(target_ + "/folder");
    dialog_->NameEdit()->setText("folder");
    dialog_->SaveAsBox()->setCurrentIndex(1);
    dialog_->PackagingBox()->setCurrentIndex(2);
    EXPECT_EQ(ClickOk(), "Error: Directory Exists|A Directory with the name\n\n" + target_ +
                             "/folder\n\nalready exists. Please choose another name.");

    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_FALSE(dialog_->IsRunning());
    EXPECT_EQ(dialog_->NameEdit()->text(), "folder");
    EXPECT_TRUE(dialog_->CategoryBoxes()[1]->isChecked());
    EXPECT_FALSE(dialog_->CategoryBoxes()[0]->isChecked());
    EXPECT_EQ(test::ReadFileText(target_ + "/taken.iconzip"), "the user's");
}

TEST_F(SnapshotDialogTest, ZippedSnapshotRunsOffTheWindowThreadAndOpensFromTheArchive) {
    std::vector<std::pair<int, QString>> seen;
    bool shot = false;
    QObject::connect(dialog_.get(), &gui::SnapshotDialog::ProgressShown,
                     [&](int percent, const QString& status) {
                         seen.emplace_back(percent, status);
                         if (!shot && status.startsWith("Extracting Icons (")) {
                             shot = dialog_->grab().save(
                                 QString::fromStdString(ScreenshotPath("snapshot-running.png")));
                         }
                     });
    dialog_->NameEdit()->setText("snap");
    std::filesystem::create_directories(dataFolder_ + "unzip");
    test::WriteFileText(dataFolder_ + "unzip/stale.icl", "from an earlier opening");
    prompter_.Answer(IDYES);
    EXPECT_EQ(ClickOk(), "");
    // Running: the choices are locked and nothing but Cancel closes the dialog.
    ASSERT_TRUE(dialog_->IsRunning());
    EXPECT_FALSE(dialog_->NameEdit()->isEnabled());
    EXPECT_FALSE(dialog_->OkButton()->isEnabled());
    EXPECT_TRUE(dialog_->CancelButton()->isEnabled());
    QTest::keyClick(dialog_.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog_->close());
    EXPECT_TRUE(dialog_->isVisible());
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_TRUE(shot);

    EXPECT_EQ(dialog_->ProgressBar()->value(), 100);
    EXPECT_EQ(dialog_->StatusLabel()->text(), "Finished");
    ASSERT_FALSE(prompter_.Shown().empty());
    EXPECT_EQ(prompter_.Shown().back().title, "Open Snapshot?");
    EXPECT_EQ(prompter_.Shown().back().message,
              "An Icon Snapshot has been saved to the following location:\n\n" + target_ +
                  "/snap.iconzip.\n\nWould you like to open the compiled resources.\n");
    EXPECT_EQ(prompter_.Shown().size(), 1u) << "icons that could not be read are no failure";
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(Doc().PathName(), dataFolder_ + "unzip/snap.icl");
    EXPECT_FALSE(std::filesystem::exists(dataFolder_ + "unzip/stale.icl"))
        << "the unzip folder is emptied before the archive is extracted";

    // The bar moves through collecting (0-5), extracting (5-85) and building, never back.
    auto phase = [&](const char* prefix, int low, int high) {
        bool any = false;
        for (const auto& [percent, status] : seen)
            if (status.startsWith(prefix)) {
                any = true;
                EXPECT_TRUE(percent >= low && percent <= high) << status.toStdString();
            }
        return any;
    };
    EXPECT_TRUE(phase("Collecting Explorer Icons (", 0, 5));
    EXPECT_TRUE(phase("Extracting Icons (", 5, 85));
    EXPECT_TRUE(phase("Compiling .ICL", 85, 85));
    EXPECT_TRUE(phase("Zipping (snap.icl)", 85, 85));
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_LE(seen[i - 1].first, seen[i].first);

    EXPECT_EQ(TargetFiles(), std::vector<std::string>{"snap.iconzip"});
    std::string archive = target_ + "/snap.iconzip";
    if (std::system("command -v unzip >/dev/null") == 0) {
        EXPECT_EQ(std::system(("unzip -tq '" + archive + "' >/dev/null").c_str()), 0);
    }
    WinePrefix wine(scratch_ / "prefix");
    IconsetEngine engine(wine, scratch_ / "load/x.iconset", dataFolder_);
    ASSERT_EQ(engine.Open(), S_OK);
    IconsetApplier applier(engine);
    ASSERT_EQ(applier.LoadIconset(archive, scratch_ / "load/"), S_OK);
    EXPECT_TRUE(applier.HasIconsetFile() && applier.HasIconFiles());
    EXPECT_EQ(applier.AppliedIcons().size(), 5u); // Nowhere names no file
    std::vector<std::uint8_t> library = ReadFileBytes(dataFolder_ + "unzip/snap.icl");
    int groups = 0;
    while (PeIconGroupFile(ByteView(library.data(), library.size()), groups))
        ++groups;
    EXPECT_EQ(groups, 4);
}

TEST_F(SnapshotDialogTest, CancelStopsBetweenIconsAndLeavesNothing) {
    dialog_->SetWorkerHook([this](int, std::string_view status) {
        if (status.rfind("Extracting Icons (2 of", 0) == 0)
            dialog_->RequestCancel();
    });
    dialog_->NameEdit()->setText("snap");
    dialog_->SaveAsBox()->setCurrentIndex(1);
    dialog_->PackagingBox()->setCurrentIndex(0);
    EXPECT_EQ(ClickOk(), "");
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_TRUE(prompter_.Shown().empty()) << prompter_.Shown().front().message;
    EXPECT_TRUE(TargetFiles().empty()) << "the subfolder went with its icons";
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_TRUE(dialog_->NameEdit()->isEnabled());
    EXPECT_EQ(dialog_->ProgressBar()->value(), 0);

    // The same choices then go through.
    dialog_->SetWorkerHook({});
    prompter_.Answer(IDNO);
    EXPECT_EQ(ClickOk(), "");
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_TRUE(fs::is_regular_file(target_ + "/snap/snap.iconset"));
}

// The failure happens on the worker thread; its error trail is shown by the window and logged.
TEST_F(SnapshotDialogTest, AFailureOnTheWorkerIsShownAndLoggedAndLeavesNothing) {
    fs::remove(dataFolder_ + "blank.dll");
    dialog_->NameEdit()->setText("snap");
    EXPECT_EQ(ClickOk(), "");
    ASSERT_TRUE(WaitUntilDone());
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    std::string shown = prompter_.Shown().back().message + prompter_.Shown().back().details;
    EXPECT_NE(shown.find("blank.dll"), std::string::npos) << shown;
    EXPECT_NE(test::ReadFileText(dataFolder_ + "vellum.log").find("blank.dll"), std::string::npos);
    EXPECT_TRUE(TargetFiles().empty());
    EXPECT_TRUE(dialog_->isVisible() && dialog_->OkButton()->isEnabled());
}

TEST_F(SnapshotDialogTest, OpeningALibraryMakesItTheDocument) {
    dialog_->NameEdit()->setText("lib");
    dialog_->PackagingBox()->setCurrentIndex(2);
    prompter_.Answer(IDYES);
    EXPECT_EQ(ClickOk(), "");
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_EQ(TargetFiles(), std::vector<std::string>{"lib.icl"});
    EXPECT_EQ(Doc().PathName(), target_ + "/lib.icl");
    EXPECT_FALSE(TopLabels().isEmpty());
}

TEST_F(SnapshotDialogTest, ToolsCommandOpensTheDialogUnlessItsFoldersCannotBeMade) {
    QAction* action = Window().Action("tools.snapshot");
    EXPECT_TRUE(action->isEnabled());
    EXPECT_EQ(action->statusTip(), "Take a snapshot of the icons currently in use.");
    QString title;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            title = modal->windowTitle();
            modal->close();
        }
    });
    action->trigger();
    EXPECT_EQ(title, "Icon Snapshot");

    // No prefix at all: nothing is made for one.
    setenv("WINEPREFIX", (scratch_ / "none").c_str(), 1);
    gui::SnapshotDialog noPrefix(app_->Services(), {});
    EXPECT_FALSE(noPrefix.Prepare());
    EXPECT_EQ(prompter_.Shown().back().message,
              "There is no Wine prefix at " + scratch_ / "none" +
                  " (system.reg is missing). Set WINEPREFIX to a prefix made with wineboot.");
    EXPECT_FALSE(fs::exists(scratch_ / "none"));
    setenv("WINEPREFIX", (scratch_ / "prefix").c_str(), 1);

    // The work folder's parent is a file: the dialog says so and does not open.
    fs::remove_all(dataFolder_ + "temp");
    test::WriteFileText(dataFolder_ + "temp", "a file");
    gui::SnapshotDialog blocked(app_->Services(), {});
    EXPECT_FALSE(blocked.Prepare());
    ASSERT_FALSE(prompter_.Shown().empty());
    EXPECT_EQ(prompter_.Shown().back().title, "Create Directory Fail");
    EXPECT_EQ(prompter_.Shown().back().message.rfind("Failed to create directory (", 0), 0u);
}

// Questions from the engine on the worker thread are asked on the window's thread, and the worker
// waits for the answer.
TEST(UiThreadPrompter, AsksOnTheWindowThreadAndWaitsForTheAnswer) {
    struct ThreadRecorder final : Prompter {
        int Show(const MessageDialog&) override {
            askedOn = std::this_thread::get_id();
            return IDNO;
        }
        std::thread::id askedOn;
    } inner;
    gui::UiThreadPrompter prompter(inner);
    std::atomic<int> answer{0};
    std::thread worker([&] { answer = prompter.Ask("Go on?", "Question", MB_YESNO); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer != 0; }, 5000));
    worker.join();
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(inner.askedOn, std::this_thread::get_id());
}

} // namespace
} // namespace vellum::test
