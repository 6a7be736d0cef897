// A window program under test: its own settings file and data folder, a scripted prompter, and
// the start-up of the real application object.
#pragma once

#include "app/VellumApp.h"
#include "common/Prompter.h"
#include "common/TestSupport.h"
#include "document/CVelDoc.h"
#include "document/CVelFrame.h"
#include "document/CVelView.h"
#include "document/ResourceTreeWidget.h"
#include "document/ViewerHost.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace vellum::test {

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

    QStringList TopLabels();
    QStringList ChildLabels(const QString& type);

    gui::CVelDoc& Doc() { return app_->Document(); }
    gui::CVelFrame& Frame() { return app_->Frame(); }
    gui::CVelView& View() { return *app_->Frame().View(); }
    gui::ResourceTreeWidget& Tree() { return *View().Tree(); }
    gui::ViewerHost& Host() { return *View().Host(); }

    ScratchDir scratch_;
    std::string dataFolder_;
    ScriptedPrompter prompter_;
    std::unique_ptr<gui::VellumApp> app_;
};

} // namespace vellum::test
