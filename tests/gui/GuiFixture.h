// A window program under test: its own settings file and data folder, a scripted prompter, and
// the start-up of the real application object.
#pragma once

#include "application/VellumApp.h"
#include "common/Prompter.h"
#include "common/TestSupport.h"
#include "document/MainWindow.h"
#include "document/ProjectDocument.h"
#include "document/ResourceTreeWidget.h"
#include "document/ResourceView.h"
#include "document/ViewerHost.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace vellum::test {

// Where a screenshot named `name` goes: build/tests/screenshots/, made when missing.
std::string ScreenshotPath(const std::string& name);

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the application as the program does after preparing its data folder.
    void StartApp(const CommandLine& info = {});
    // Copies a fixture into the scratch folder and opens it as the user would.
    std::string OpenFixture(const std::string& name);
    // Selects the resource item `label` under the type item `type`.
    QTreeWidgetItem* Select(const QString& type, const QString& label);

    // The File node of the open project's resource `id` of type `type` (its first language);
    // null when there is none.
    XmlNode* ResourceFile(int type, int id);
    QStringList TopLabels();
    QStringList ChildLabels(const QString& type);

    gui::ProjectDocument& Doc() { return app_->Document(); }
    gui::MainWindow& Window() { return app_->Window(); }
    gui::ResourceView& View() { return *app_->Window().View(); }
    gui::ResourceTreeWidget& Tree() { return *View().Tree(); }
    gui::ViewerHost& Host() { return *View().Host(); }

    ScratchDir scratch_;
    std::string dataFolder_;
    ScriptedPrompter prompter_;
    std::unique_ptr<gui::VellumApp> app_;
};

} // namespace vellum::test
