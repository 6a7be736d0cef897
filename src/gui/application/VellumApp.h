// The window program's application object: prepares the error dialog and the data folder,
// creates the document and the main window, and opens the start document.
#pragma once

#include "application/AppServices.h"
#include "cli/CommandLine.h"

#include <memory>
#include <string>

namespace vellum::gui {

class ProjectDocument;
class MainWindow;

class VellumApp {
public:
    // `prompter` answers every question and shows every message (message boxes in the window,
    // a script in tests). A QApplication must exist.
    explicit VellumApp(Prompter& prompter);
    // Exit: the editor lists are saved.
    ~VellumApp();

    // Start-up; false when the program should end (no data folder, nothing could be opened).
    bool Initialize(const CommandLine& info);
    // The part of start-up after the data folder is known: main window, start document.
    bool Start(const CommandLine& info);
    void UseDataFolder(const std::string& folder) { services_.dataFolder = folder; }
    // Opens a document; an empty path, or a path that fails, opens the blank template.
    bool OpenOrBlank(const std::string& path);

    ProjectDocument& Document() { return *document_; }
    MainWindow& Window() { return *window_; }
    AppServices& Services() { return services_; }

private:
    bool PrepareDataFolder();
    void OpenStartDocument(const CommandLine& info);
    void LoadEditors();
    void SaveEditors();

    ErrorBox errorBox_;
    AppServices services_;
    std::unique_ptr<ProjectDocument> document_;
    std::unique_ptr<MainWindow> window_;
    bool editorsLoaded_ = false;
};

// The whole window program: QApplication, start-up and the event loop. Returns the exit status.
int RunWindow(int argc, char** argv, const CommandLine& info);

} // namespace vellum::gui
