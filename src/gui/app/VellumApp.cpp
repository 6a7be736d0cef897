// Start-up of the window program.
#include "app/VellumApp.h"

#include "app/MessageDialogBox.h"
#include "app/Settings.h"
#include "app/StartDocument.h"
#include "cli/Version.h"
#include "common/ErrorTrail.h"
#include "document/CVelDoc.h"
#include "document/CVelFrame.h"
#include "platform/DataFolder.h"

#include <QApplication>
#include <filesystem>

namespace vellum::gui {

namespace {

constexpr const char* kModule = "Vellum";

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

VellumApp::VellumApp(Prompter& prompter) : services_{prompter, errorBox_, {}, true} {
    errorBox_.SetButtonCaptions(DefaultButtonCaptions());
    errorBox_.SetErrorTitle(VersionString());
}

VellumApp::~VellumApp() {
    frame_.reset();
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

bool VellumApp::InitInstance(const CommandLine& info) {
    return PrepareDataFolder() && Start(info);
}

bool VellumApp::Start(const CommandLine& info) {
    document_ = std::make_unique<CVelDoc>(services_);
    services_.debugMode = ReadDebugMode();
    frame_ = std::make_unique<CVelFrame>(services_, *document_);
    frame_->RestorePlacement();
    OpenStartDocument(info);
    frame_->show();
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
    if (!OpenDocumentFile(path)) {
        services_.ShowErrorTrailIfAny();
        document_->NewEmptyDocument();
        return;
    }
    if (blank)
        document_->MarkBlank();
}

bool VellumApp::OpenDocumentFile(const std::string& path) {
    std::string blank = BlankTemplatePath(services_.dataFolder);
    if (path.empty() && !FileExists(blank)) {
        ReportMissingBlankTemplate(kModule, __LINE__, blank);
        return false;
    }
    if (document_->OpenDocument(path.empty() ? blank : path))
        return true;
    return !path.empty() && OpenDocumentFile({});
}

int RunWindow(int argc, char** argv, const CommandLine& info) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Vellum");
    QApplication::setOrganizationName("Quillon");
    QtPrompter prompter;
    VellumApp app(prompter);
    if (!app.InitInstance(info))
        return 1;
    return QApplication::exec();
}

} // namespace vellum::gui
