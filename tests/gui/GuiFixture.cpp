// The window test fixture.
#include "GuiFixture.h"

#include "platform/DataFolder.h"

#include <QSettings>
#include <cstdlib>
#include <filesystem>

namespace vellum::test {

std::string ScreenshotPath(const std::string& name) {
    std::filesystem::path folder = std::filesystem::path(VELLUM_TEST_BINARY_DIR) / "screenshots";
    std::filesystem::create_directories(folder);
    return (folder / name).string();
}

void GuiTest::SetUp() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(scratch_ / "settings"));
    setenv("VELLUM_DATA_DIR", (scratch_ / "data").c_str(), 1);
    ASSERT_TRUE(SUCCEEDED(PrepareDataFolder(ExecutableFolder(), &dataFolder_)));
}

void GuiTest::TearDown() {
    if (app_)
        Window().hide();
    app_.reset();
}

void GuiTest::StartApp(const CommandLine& info) {
    app_ = std::make_unique<gui::VellumApp>(prompter_);
    app_->UseDataFolder(dataFolder_);
    ASSERT_TRUE(app_->Start(info));
}

std::string GuiTest::OpenFixture(const std::string& name) {
    std::string copy = scratch_ / name;
    std::filesystem::copy_file(DataPath(name), copy,
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(Doc().Open(copy));
    return copy;
}

QTreeWidgetItem* GuiTest::Select(const QString& type, const QString& label) {
    QTreeWidgetItem* typeItem = Tree().FindTypeItem(type);
    if (!typeItem)
        return nullptr;
    for (int i = 0; i < typeItem->childCount(); ++i) {
        if (typeItem->child(i)->text(0) == label) {
            Tree().setCurrentItem(typeItem->child(i));
            return typeItem->child(i);
        }
    }
    return nullptr;
}

XmlNode* GuiTest::ResourceFile(int type, int id) {
    Project& project = *Doc().GetProject();
    for (XmlNode* entry : project.ResourcesOf(project.FindType(type)))
        if (Project::Int(entry, "ID") == id)
            return Project::FileOf(entry);
    return nullptr;
}

QStringList GuiTest::TopLabels() {
    QStringList labels;
    for (int i = 0; i < Tree().topLevelItemCount(); ++i)
        labels << Tree().topLevelItem(i)->text(0);
    return labels;
}

QStringList GuiTest::ChildLabels(const QString& type) {
    QStringList labels;
    if (QTreeWidgetItem* item = Tree().FindTypeItem(type))
        for (int i = 0; i < item->childCount(); ++i)
            labels << item->child(i)->text(0);
    return labels;
}

} // namespace vellum::test
