// The main window's File and Help commands: the recent-file list, New and Save on the blank
// template, and the debug-mode offsets in the status bar.
#include "GuiFixture.h"
#include "application/Settings.h"
#include "application/StartDocument.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>

namespace vellum::test {

namespace {

QStringList VisibleRecentFiles(const gui::MainWindow& window) {
    QStringList files;
    for (QAction* action : window.RecentFileActions())
        if (action->isVisible())
            files << action->data().toString();
    return files;
}

} // namespace

TEST_F(GuiTest, RecentFilesAreListedNewestFirstAndReopenToTheTop) {
    gui::AddRecentFile("/nowhere/old.dll");
    StartApp();
    std::string first = OpenFixture("resources.dll");
    std::string second = OpenFixture("resonly.dll");
    QStringList listed = VisibleRecentFiles(Window());
    EXPECT_EQ(listed.mid(0, 2),
              QStringList({QString::fromStdString(second), QString::fromStdString(first)}));
    EXPECT_TRUE(listed.contains("/nowhere/old.dll"));
    EXPECT_EQ(Window().RecentFileActions()[0]->text().left(3), "&1 ");
    QMenu* fileMenu = Window().menuBar()->actions().value(0)->menu();
    EXPECT_TRUE(fileMenu->actions().contains(Window().RecentFileActions()[0]));

    // Choosing the second entry opens it and moves it to File1.
    Window().RecentFileActions()[1]->trigger();
    EXPECT_EQ(Doc().PathName(), first);
    EXPECT_TRUE(TopLabels().contains("MYTYPE"));
    EXPECT_EQ(gui::ReadRecentFiles().value(0).toStdString(), first);
    EXPECT_EQ(VisibleRecentFiles(Window()).value(1).toStdString(), second);
}

TEST_F(GuiTest, AVanishedRecentFileFallsBackToTheBlankTemplate) {
    StartApp();
    gui::AddRecentFile("/nowhere/gone.dll");
    Window().UpdateRecentFiles();
    ASSERT_EQ(VisibleRecentFiles(Window()).value(0), "/nowhere/gone.dll");
    Window().RecentFileActions()[0]->trigger();
    EXPECT_EQ(Doc().PathName(), gui::BlankTemplatePath(dataFolder_));
    EXPECT_FALSE(TopLabels().isEmpty());
}

TEST_F(GuiTest, DebugModeShowsTheSelectedResourcesOffsets) {
    StartApp();
    OpenFixture("resources.dll");
    QTreeWidgetItem* typeItem = Tree().FindTypeItem("MYTYPE");
    ASSERT_TRUE(typeItem && typeItem->childCount() > 0);
    QTreeWidgetItem* item = typeItem->child(0);
    XmlNode* node = gui::ResourceTreeWidget::NodeOf(item);
    Project& project = *Doc().GetProject();
    XmlNode* file = Project::FileOfLanguage(node);
    project.Set(file, "Start", "3040");
    project.Set(file, "End", "307F");
    QString name = QString::fromStdString(project.Text(file, "Name"));

    ASSERT_TRUE(app_->Services().debugMode);
    Tree().setCurrentItem(item);
    EXPECT_EQ(Window().statusBar()->currentMessage(), name + " : [0x3040:0x307F]");

    // Turned off, selecting shows nothing, and a resource without offsets never shows any.
    Window().Action("tools.debugMode")->trigger();
    Tree().setCurrentItem(typeItem);
    Tree().setCurrentItem(item);
    EXPECT_TRUE(Window().statusBar()->currentMessage().isEmpty());
    Window().Action("tools.debugMode")->trigger();
    project.Set(file, "End", "");
    Tree().setCurrentItem(typeItem);
    Tree().setCurrentItem(item);
    EXPECT_TRUE(Window().statusBar()->currentMessage().isEmpty());
}

// The IDs are what everything outside the window's own code finds a command by.
TEST_F(GuiTest, CommandsAreFoundByTheirStableIds) {
    StartApp();
    const QStringList ids{"file.new",        "file.open",      "file.save",    "file.saveAs",
                          "file.exit",       "edit.copy",      "edit.cut",     "edit.paste",
                          "edit.undo",       "edit.delete",    "resource.add", "resource.import",
                          "tools.options",   "tools.snapshot", "tools.apply",  "tools.restore",
                          "tools.debugMode", "help.website",   "help.about",   "view.toggleInsert"};
    for (const QString& id : ids) {
        QAction* action = Window().Action(id);
        ASSERT_NE(action, nullptr) << id.toStdString();
        EXPECT_EQ(action->objectName(), id);
    }
    EXPECT_EQ(Window().Action("file.close"), nullptr);
    EXPECT_EQ(Window().Action("File.Open"), nullptr) << "IDs are matched exactly";

    // Every menu entry but the recent files is a registered command, and every command but the
    // insert-mode key sits in a menu.
    const std::vector<QAction*>& recent = Window().RecentFileActions();
    QStringList inMenus;
    for (QAction* top : Window().menuBar()->actions())
        for (QAction* action : top->menu()->actions())
            if (!action->isSeparator() &&
                std::find(recent.begin(), recent.end(), action) == recent.end())
                inMenus << action->objectName();
    inMenus.sort();
    QStringList expected = ids;
    expected.removeAll("view.toggleInsert");
    expected.sort();
    EXPECT_EQ(inMenus, expected);
}

TEST_F(GuiTest, SavingTheBlankTemplateAsksForAPath) {
    StartApp();
    ASSERT_TRUE(Doc().IsBlank());
    std::vector<std::string> proposed;
    Doc().chooseSavePath = [&](const std::string& name) {
        proposed.push_back(name);
        return std::string();
    };
    Window().UpdateCommands();
    Window().Action("file.save")->trigger();
    EXPECT_EQ(proposed, std::vector<std::string>{"new.dll"});
    EXPECT_EQ(Doc().PathName(), gui::BlankTemplatePath(dataFolder_));

    std::string target = scratch_ / "made.dll";
    Doc().chooseSavePath = [&](const std::string&) { return target; };
    prompter_.Answer(IDYES); // copy the compiled file to the chosen place
    Window().Action("file.save")->trigger();
    EXPECT_TRUE(std::filesystem::is_regular_file(target));
    EXPECT_EQ(Doc().PathName(), target);
    EXPECT_FALSE(Doc().IsBlank());
}

TEST_F(GuiTest, NewOpensTheBlankTemplateAfterOfferingToSave) {
    StartApp();
    std::string dll = OpenFixture("resources.dll");
    auto modified = std::filesystem::last_write_time(dll);

    prompter_.Answer(IDCANCEL);
    Window().Action("file.new")->trigger();
    EXPECT_EQ(Doc().PathName(), dll);

    prompter_.Answer(IDNO);
    Window().Action("file.new")->trigger();
    EXPECT_TRUE(Doc().IsBlank());
    EXPECT_EQ(Doc().PathName(), gui::BlankTemplatePath(dataFolder_));
    EXPECT_FALSE(TopLabels().contains("MYTYPE"));
    EXPECT_EQ(std::filesystem::last_write_time(dll), modified);
    ASSERT_EQ(prompter_.Shown().size(), 3u);
    EXPECT_EQ(prompter_.Shown()[1].message, "Save current resource file?");
    EXPECT_EQ(prompter_.Shown()[2].title, "New DLL Created");
}

} // namespace vellum::test
