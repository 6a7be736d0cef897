// Start-up's choice of document and the settings the window writes and reads back.
#include "GuiFixture.h"
#include "application/Settings.h"
#include "application/StartDocument.h"
#include "document/WindowPlacement.h"

#include <QLabel>
#include <QSplitter>

namespace vellum::test {

TEST_F(GuiTest, StartupReopensTheProjectOfTheRecentFile) {
    StartApp();
    std::string dll = OpenFixture("resources.dll");
    EXPECT_EQ(gui::ReadRecentFiles().value(0).toStdString(), dll);
    app_.reset();

    StartApp();
    EXPECT_EQ(Doc().ProjectPath(), gui::WorkFolder(dataFolder_) + "resources.vellum");
    EXPECT_EQ(Doc().PathName(), dll);
    EXPECT_TRUE(TopLabels().contains("MYTYPE"));
    EXPECT_FALSE(Doc().IsBlank());
}

TEST_F(GuiTest, StartupOpensTheBlankTemplateWithoutARecentProject) {
    gui::AddRecentFile("/nowhere/theme.msstyles");
    StartApp();
    EXPECT_TRUE(Doc().IsBlank());
    EXPECT_EQ(Doc().PathName(), gui::BlankTemplatePath(dataFolder_));
    EXPECT_FALSE(TopLabels().isEmpty());
    EXPECT_TRUE(prompter_.Shown().empty());
}

TEST_F(GuiTest, AMissingBlankTemplateGivesTheMessageAndAnEmptyDocument) {
    std::filesystem::remove(gui::BlankTemplatePath(dataFolder_));
    StartApp();
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    EXPECT_NE(prompter_.Shown()[0].details.find("Failed to open required dll."), std::string::npos);
    EXPECT_EQ(Doc().GetProject(), nullptr);
    EXPECT_EQ(Tree().topLevelItemCount(), 0);
    EXPECT_TRUE(Window().isVisible());
}

TEST_F(GuiTest, DebugModeIsOnUnlessTheSettingIsZero) {
    StartApp();
    EXPECT_TRUE(app_->Services().debugMode);
    Window().Action("tools.debugMode")->trigger();
    EXPECT_EQ(gui::ReadSetting(gui::kDebugModeKey).toStdString(), "0");
    EXPECT_FALSE(Window().Action("tools.debugMode")->isChecked());
    app_.reset();

    StartApp();
    EXPECT_FALSE(app_->Services().debugMode);
    EXPECT_FALSE(Window().Action("tools.debugMode")->isChecked());
    gui::WriteSetting(gui::kDebugModeKey, "no");
    EXPECT_TRUE(gui::ReadDebugMode());
}

TEST_F(GuiTest, WindowRectangleAndSplitterPositionSurviveARestart) {
    StartApp();
    Window().setGeometry(40, 50, 900, 600);
    View().SetSplitterX(310);
    int splitter = View().SplitterX();
    Window().close();
    EXPECT_EQ(gui::ReadSetting(gui::kMainRectKey).toStdString(), "40,50,940,650");
    EXPECT_EQ(gui::ReadSetting(gui::kMaxKey).toStdString(), "0");
    app_.reset();
    EXPECT_EQ(gui::ReadIntSetting(gui::kSplitterKey, 0), splitter);

    StartApp();
    EXPECT_EQ(Window().geometry(), QRect(40, 50, 900, 600));
    EXPECT_EQ(View().SplitterX(), splitter);
}

TEST(WindowPlacementTest, RectanglesTooSmallOrMalformedAreRefused) {
    QSize minimum(100, 80);
    EXPECT_EQ(gui::ParseMainRect("10,20,310,220", minimum), QRect(10, 20, 300, 200));
    EXPECT_FALSE(gui::ParseMainRect("10,20,60,220", minimum));
    EXPECT_FALSE(gui::ParseMainRect("10,20,310", minimum));
    EXPECT_FALSE(gui::ParseMainRect("a,b,c,d", minimum));
    EXPECT_EQ(gui::DefaultMainRect(QRect(0, 0, 1000, 800)), QRect(250, 200, 500, 400));
}

TEST_F(GuiTest, InsertModeCommandFlipsTheSettingAndTheOvrIndicator) {
    StartApp();
    EXPECT_TRUE(Window().OverwriteIndicator()->isEnabled());
    Window().Action("view.toggleInsert")->trigger();
    EXPECT_TRUE(gui::ReadInsertMode());
    EXPECT_FALSE(Window().OverwriteIndicator()->isEnabled());
}

} // namespace vellum::test
