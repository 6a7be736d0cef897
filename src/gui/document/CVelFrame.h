// The main window around the view: menus and a toolbar built from the command table, a status
// bar with the "OVR" indicator, the feedback link in the menu bar, and the window placement.
#pragma once

#include "app/AppServices.h"

#include <QMainWindow>
#include <map>

class QAction;
class QLabel;

namespace vellum::gui {

class CVelDoc;
class CVelView;

class CVelFrame : public QMainWindow {
    Q_OBJECT
public:
    CVelFrame(AppServices& app, CVelDoc& document, QWidget* parent = nullptr);

    CVelView* View() { return view_; }
    QAction* Action(int id) const;
    QLabel* OverwriteIndicator() { return ovr_; }

    // Places the window as it was left: the saved rectangle (unless it is too small) and the
    // maximised state.
    void RestorePlacement();
    void SavePlacement() const;
    // Flips the hex view's insert mode ("Insert" under "Flag").
    void ToggleInsertMode();
    void UpdateCommands();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void ConnectCommands();
    void ConnectEditCommands();
    void OpenFile();
    void UpdateTitle();
    void UpdateOverwriteIndicator();

    AppServices& app_;
    CVelDoc& document_;
    CVelView* view_;
    std::map<int, QAction*> actions_;
    QLabel* ovr_ = nullptr;
};

} // namespace vellum::gui
