// The main window around the view: menus and a toolbar built from the command table, a status
// bar with the "OVR" indicator, the feedback link in the menu bar, and the window placement.
#pragma once

#include "application/AppServices.h"

#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <vector>

class QAction;
class QLabel;

namespace vellum::gui {

class IconsetCommands;
class ProjectDocument;
class ResourceView;

// The debug-mode status text for a shown resource: "title : [0xstart:0xend]", or empty when
// either offset is unknown.
QString EntryRangeText(const QString& title, const std::string& start, const std::string& end);

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(AppServices& app, ProjectDocument& document, QWidget* parent = nullptr);

    ResourceView* View() { return view_; }
    // The action registered under a command ID ("file.open"); null for an unknown ID.
    QAction* Action(const QString& id) const;
    QLabel* OverwriteIndicator() { return ovr_; }
    // Applying iconsets and putting back what an apply changed.
    IconsetCommands* Iconsets() { return iconsets_; }
    // The File menu's recent-file entries, newest first; only the visible ones are in use.
    const std::vector<QAction*>& RecentFileActions() const { return recentActions_; }

    // Places the window as it was left: the saved rectangle (unless it is too small) and the
    // maximised state.
    void RestorePlacement();
    void SavePlacement() const;
    // Flips the hex view's insert mode ("Insert" under "Flag").
    void ToggleInsertMode();
    void UpdateCommands();
    // Refreshes the File menu's recent-file entries from the settings.
    void UpdateRecentFiles();
    // Opens a file the user chose (File > Open, a recent file, a project Import made) after
    // settling unsaved changes; the blank template when it cannot be opened.
    void OpenPath(const QString& path);
    // Tools > Options: the editor lists, changed only when the dialog is confirmed.
    void ShowOptions();
    // Tools > Icon Snapshot: the snapshot dialog on the running system (on Linux, the Wine
    // prefix).
    void ShowSnapshot();
    // Resource > Import: the dialog, then Import.
    void ShowImport();
    // Takes `file` apart into `folder` (ending in a separator) and opens the project made there.
    bool Import(const std::string& file, const std::string& folder);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    QIcon ToolbarIcon(const QString& id) const;
    void CreateStatusBar();
    void ConnectCommands();
    void ConnectEditCommands();
    void OpenFile();
    void ShowEntryRange();
    void UpdateTitle();
    void UpdateOverwriteIndicator();

    AppServices& app_;
    ProjectDocument& document_;
    ResourceView* view_;
    QHash<QString, QAction*> actions_;
    QLabel* ovr_ = nullptr;
    IconsetCommands* iconsets_ = nullptr;
    std::vector<QAction*> recentActions_;
    QAction* recentSeparator_ = nullptr;
};

} // namespace vellum::gui
