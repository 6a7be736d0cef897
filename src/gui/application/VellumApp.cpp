// Start-up of the window program.
#include "application/VellumApp.h"

#include "application/AppIdentity.h"
#include "application/GuardedApplication.h"
#include "application/MessageDialogBox.h"
#include "application/QSettingsStore.h"
#include "application/Settings.h"
#include "application/StartDocument.h"
#include "cli/Version.h"
#include "common/ErrorTrail.h"
#include "common/TrailModules.h"
#include "document/IconsetCommands.h"
#include "document/MainWindow.h"
#include "document/ProjectDocument.h"
#include "iconset/IconLocation.h"
#include "platform/DataFolder.h"

#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <utility>

namespace vellum::gui {

namespace {

constexpr const char* kModule = trail::kVellum;

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

VellumApp::VellumApp(Prompter& prompter)
    : services_{prompter, errorBox_, {}, true, {}, 0, nullptr} {
    errorBox_.SetButtonCaptions(DefaultButtonCaptions());
    errorBox_.SetErrorTitle(VersionString());
}

VellumApp::~VellumApp() {
    window_.reset();
    SaveEditors();
    document_.reset();
}

bool VellumApp::PrepareDataFolder() {
    HRESULT hr = vellum::PrepareDataFolder(ExecutableFolder(), &services_.dataFolder);
    if (SUCCEEDED(hr))
        return true;
    ReportError(kModule, __LINE__, hr, "An error occurred while geting the personal path.");
    services_.ShowErrorTrail();
    return false;
}

bool VellumApp::Initialize(const CommandLine& info) {
    return PrepareDataFolder() && Start(info);
}

bool VellumApp::Start(const CommandLine& info) {
    document_ = std::make_unique<ProjectDocument>(services_);
    services_.debugMode = ReadDebugMode();
    window_ = std::make_unique<MainWindow>(services_, *document_);
    window_->RestorePlacement();
    LoadEditors();
    CommandLine start = info;
    std::string iconset;
    // An iconset given to the program (a double click on one) is offered for applying once the
    // window is up; the window itself starts as it would without a file.
    if (IsIconsetFile(info.fileName) || IsZippedIconset(info.fileName))
        iconset = std::exchange(start.fileName, {});
    OpenStartDocument(start);
    window_->show();
    if (!iconset.empty())
        QTimer::singleShot(0, window_.get(), [this, iconset] {
            window_->Iconsets()->OfferToApply(QString::fromStdString(iconset));
        });
    return true;
}

// The command line's file, else the project of the newest recent file, else the blank template.
// When nothing opens, the window starts with an empty document.
void VellumApp::OpenStartDocument(const CommandLine& info) {
    std::string path = info.fileName;
    bool blank = false;
    if (path.empty()) {
        QStringList recent = ReadRecentFiles();
        StartDocument start = ChooseStartDocument(
            recent.isEmpty() ? std::string() : recent.first().toStdString(), services_.dataFolder);
        blank = start.blank;
        if (!blank)
            path = start.path;
    }
    if (!OpenOrBlank(path)) {
        services_.ShowErrorTrailIfAny();
        document_->NewEmpty();
        return;
    }
    if (blank)
        document_->MarkBlank();
}

// A list that cannot be read is shown as a failure; the window starts all the same.
void VellumApp::LoadEditors() {
    QSettingsStore store;
    editorsLoaded_ = true;
    if (FAILED(services_.editors.Load(store)))
        services_.ShowErrorTrail();
}

// Only lists that were loaded are written back: a run that never started keeps the settings.
void VellumApp::SaveEditors() {
    if (!editorsLoaded_)
        return;
    QSettingsStore store;
    if (FAILED(services_.editors.Save(store)))
        services_.ShowErrorTrail();
}

bool VellumApp::OpenOrBlank(const std::string& path) {
    std::string blank = BlankTemplatePath(services_.dataFolder);
    if (path.empty() && !FileExists(blank)) {
        ReportMissingBlankTemplate(kModule, __LINE__, blank);
        return false;
    }
    if (document_->Open(path.empty() ? blank : path))
        return true;
    return !path.empty() && OpenOrBlank({});
}

int RunWindow(int argc, char** argv, const CommandLine& info) {
    GuardedApplication application(argc, argv);
    SetApplicationIdentity();
    QtPrompter prompter;
    application.SetPrompter(&prompter);
    VellumApp app(prompter);
    if (!app.Initialize(info))
        return 1;
    return QApplication::exec();
}

} // namespace vellum::gui
