// Building the main window and wiring its commands.
#include "document/MainWindow.h"

#include "application/AppIdentity.h"
#include "application/Settings.h"
#include "cli/Version.h"
#include "common/ErrorBox.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/ImportDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/SnapshotDialog.h"
#include "document/CommandTable.h"
#include "document/IconsetCommands.h"
#include "document/ProjectDocument.h"
#include "document/ResourceTreeWidget.h"
#include "document/ResourceView.h"
#include "document/ViewerHost.h"
#include "document/WindowPlacement.h"
#include "operations/FailureLog.h"
#include "project/Project.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

namespace vellum::gui {

namespace {

constexpr int kToolbarIconSize = 24;

} // namespace

QString EntryRangeText(const QString& title, const std::string& start, const std::string& end) {
    if (start.empty() || end.empty())
        return {};
    return QString("%1 : [0x%2:0x%3]")
        .arg(title, QString::fromStdString(start), QString::fromStdString(end));
}

MainWindow::MainWindow(AppServices& app, ProjectDocument& document, QWidget* parent)
    : QMainWindow(parent), app_(app), document_(document) {
    setObjectName("MainWindow");
    view_ = new ResourceView(app, document);
    setCentralWidget(view_);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    ConnectCommands();
    connect(&document_, &ProjectDocument::PathNameChanged, this, &MainWindow::UpdateTitle);
    connect(&document_, &ProjectDocument::ModifiedChanged, this, &QWidget::setWindowModified);
    connect(&document_, &ProjectDocument::Loaded, this, &MainWindow::UpdateCommands);
    connect(view_->Host(), &ViewerHost::CommandsChanged, this, &MainWindow::UpdateCommands);
    connect(&document_, &ProjectDocument::PathNameChanged, this, &MainWindow::UpdateRecentFiles);
    connect(view_->Tree(), &QTreeWidget::currentItemChanged, this, &MainWindow::ShowEntryRange);
    UpdateTitle();
    UpdateCommands();
    UpdateRecentFiles();
}

QAction* MainWindow::Action(const QString& id) const {
    return actions_.value(id);
}

void MainWindow::CreateActions() {
    for (const CommandEntry& entry : kCommands) {
        auto* action = new QAction(entry.menuText, this);
        action->setObjectName(entry.id);
        if (entry.toolbarText)
            action->setIconText(entry.toolbarText);
        if (entry.shortcut)
            action->setShortcut(QKeySequence(entry.shortcut));
        actions_.insert(entry.id, action);
        addAction(action);
    }
    Action("tools.snapshot")->setStatusTip("Take a snapshot of the icons currently in use.");
    Action("tools.restore")
        ->setStatusTip("Put back the icons as they were before an iconset was applied.");
    Action("tools.debugMode")->setCheckable(true);
    Action("tools.debugMode")->setChecked(app_.debugMode);
}

void MainWindow::CreateMenus() {
    for (const MenuEntry& entry : kMenus) {
        QMenu* menu = menuBar()->addMenu(entry.title);
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateCommands);
        for (const char* id : entry.items) {
            if (!id)
                break;
            if (*id == '\0')
                menu->addSeparator();
            else
                menu->addAction(Action(id));
        }
    }
    // The recent files sit above Exit, in their own group.
    QMenu* fileMenu = menuBar()->actions().value(0)->menu();
    for (int i = 0; i < kRecentFileCount; ++i) {
        auto* action = new QAction(this);
        connect(action, &QAction::triggered, this,
                [this, action] { OpenPath(action->data().toString()); });
        recentActions_.push_back(action);
        fileMenu->insertAction(Action("file.exit"), action);
    }
    recentSeparator_ = fileMenu->insertSeparator(Action("file.exit"));
    auto* feedback = new QLabel("<a href=\"feedback\">Click to send feedback</a>");
    feedback->setObjectName("FeedbackLink");
    feedback->setCursor(Qt::PointingHandCursor);
    connect(feedback, &QLabel::linkActivated, this, [] {
        QDesktopServices::openUrl(QUrl(QString("mailto:%1?subject=Vellum-Feedback&body="
                                               "Add%20your%20comments%20here.")
                                           .arg(kSupportAddress)));
    });
    menuBar()->setCornerWidget(feedback, Qt::TopRightCorner);
}

void MainWindow::CreateToolBar() {
    QToolBar* toolbar = addToolBar("Standard");
    toolbar->setObjectName("MainToolBar");
    toolbar->setIconSize(QSize(kToolbarIconSize, kToolbarIconSize));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setMovable(false);
    for (const char* id : kToolbar) {
        if (*id == '\0') {
            toolbar->addSeparator();
            continue;
        }
        Action(id)->setIcon(ToolbarIcon(id));
        toolbar->addAction(Action(id));
    }
}

// The desktop theme's image for a toolbar command, or the style's own where the theme has none.
QIcon MainWindow::ToolbarIcon(const QString& id) const {
    struct Image {
        const char* id;
        const char* themeName;
        QStyle::StandardPixmap fallback;
    };
    static const Image kImages[] = {
        {"file.new", "document-new", QStyle::SP_FileIcon},
        {"file.open", "document-open", QStyle::SP_DialogOpenButton},
        {"file.save", "document-save", QStyle::SP_DialogSaveButton},
        {"edit.cut", "edit-cut", QStyle::SP_DialogDiscardButton},
        {"edit.copy", "edit-copy", QStyle::SP_FileDialogDetailedView},
        {"edit.paste", "edit-paste", QStyle::SP_FileDialogContentsView},
        {"edit.undo", "edit-undo", QStyle::SP_ArrowBack},
        {"edit.delete", "edit-delete", QStyle::SP_TrashIcon},
        {"resource.add", "list-add", QStyle::SP_FileDialogNewFolder},
        {"tools.snapshot", "camera-photo", QStyle::SP_DesktopIcon},
        {"tools.apply", "preferences-desktop-theme", QStyle::SP_DialogApplyButton},
    };
    for (const Image& image : kImages)
        if (image.id == id)
            return QIcon::fromTheme(image.themeName, style()->standardIcon(image.fallback));
    return {};
}

void MainWindow::CreateStatusBar() {
    ovr_ = new QLabel("OVR");
    ovr_->setObjectName("OvrIndicator");
    statusBar()->addPermanentWidget(ovr_);
    statusBar()->showMessage("Ready");
    UpdateOverwriteIndicator();
}

void MainWindow::ConnectCommands() {
    connect(Action("file.new"), &QAction::triggered, view_, &ResourceView::NewBlankDll);
    connect(Action("file.open"), &QAction::triggered, this, &MainWindow::OpenFile);
    connect(Action("file.save"), &QAction::triggered, this,
            [this] { document_.SaveTo(document_.PathName()); });
    connect(Action("file.saveAs"), &QAction::triggered, this, [this] { document_.SaveAs(); });
    connect(Action("file.exit"), &QAction::triggered, this, &QWidget::close);
    connect(Action("edit.delete"), &QAction::triggered, view_, &ResourceView::DeleteResource);
    connect(Action("resource.add"), &QAction::triggered, view_, &ResourceView::AddResource);
    connect(Action("tools.debugMode"), &QAction::triggered, this,
            [this] { Action("tools.debugMode")->setChecked(view_->ToggleDebugMode()); });
    connect(Action("tools.options"), &QAction::triggered, this, &MainWindow::ShowOptions);
    connect(Action("tools.snapshot"), &QAction::triggered, this, &MainWindow::ShowSnapshot);
    connect(Action("resource.import"), &QAction::triggered, this, &MainWindow::ShowImport);
    iconsets_ = new IconsetCommands(app_, this);
    connect(Action("tools.apply"), &QAction::triggered, iconsets_, &IconsetCommands::ApplyIconset);
    connect(Action("tools.restore"), &QAction::triggered, iconsets_,
            &IconsetCommands::RestoreIcons);
    connect(Action("view.toggleInsert"), &QAction::triggered, this, &MainWindow::ToggleInsertMode);
    connect(Action("help.website"), &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(kWebSiteUrl)); });
    connect(Action("help.about"), &QAction::triggered, this, [this] {
        AboutDialog dialog(app_, this);
        dialog.exec();
    });
    ConnectEditCommands();
}

void MainWindow::ConnectEditCommands() {
    ViewerHost* host = view_->Host();
    connect(Action("edit.copy"), &QAction::triggered, host, &ViewerHost::Copy);
    connect(Action("edit.cut"), &QAction::triggered, host, &ViewerHost::Cut);
    connect(Action("edit.paste"), &QAction::triggered, host, &ViewerHost::Paste);
    connect(Action("edit.undo"), &QAction::triggered, host, &ViewerHost::Undo);
    for (const char* id : {"edit.copy", "edit.cut", "edit.paste", "edit.undo"})
        connect(Action(id), &QAction::triggered, this, &MainWindow::UpdateCommands);
}

// Menus are refreshed as they open, like update handlers; the toolbar whenever the viewer's edit
// state moves.
void MainWindow::UpdateCommands() {
    ViewerHost* host = view_->Host();
    Action("file.save")->setEnabled(document_.CanSave());
    Action("resource.add")->setEnabled(document_.GetProject() != nullptr);
    Action("edit.copy")->setEnabled(host->CanCopy());
    Action("edit.cut")->setEnabled(host->CanCut());
    Action("edit.paste")->setEnabled(host->CanPaste());
    Action("edit.undo")->setEnabled(host->CanUndo());
}

void MainWindow::OpenFile() {
    QString path = QFileDialog::getOpenFileName(
        this, "Open Vellum File", {},
        "Resource Files (*.exe *.dll *.icl *.msstyles);;All Files (*)");
    if (!path.isEmpty())
        OpenPath(path);
}

void MainWindow::OpenPath(const QString& path) {
    if (!document_.MaybeSave())
        return;
    if (!document_.Open(path.toStdString()))
        document_.NewBlank();
}

void MainWindow::UpdateRecentFiles() {
    QStringList files = ReadRecentFiles();
    for (int i = 0; i < int(recentActions_.size()); ++i) {
        QAction* action = recentActions_[i];
        bool used = i < files.size();
        action->setVisible(used);
        if (!used)
            continue;
        QString text = files[i];
        action->setData(text);
        action->setText(QString("&%1 %2").arg(i + 1).arg(text.replace('&', "&&")));
    }
    recentSeparator_->setVisible(!files.isEmpty());
}

// In debug mode the status bar shows where the selected resource's data lies in the executable.
void MainWindow::ShowEntryRange() {
    statusBar()->clearMessage();
    Project* project = document_.GetProject();
    XmlNode* node = ResourceTreeWidget::NodeOf(view_->Tree()->currentItem());
    if (!app_.debugMode || !project || !node)
        return;
    EntryRange range = project->GetEntryRange(node);
    QString title = QString::fromStdString(project->Text(Project::FileOfLanguage(node), "Name"));
    QString text = EntryRangeText(title, range.start, range.end);
    if (!text.isEmpty())
        statusBar()->showMessage(text);
}

void MainWindow::UpdateTitle() {
    QString name = QString::fromStdString(document_.PathName());
    QString title = name.isEmpty() ? "Untitled" : name.section('/', -1);
    // "[*]" shows as "*" while the document is modified.
    setWindowTitle(title + "[*] - Vellum");
    setWindowModified(document_.IsModified());
}

void MainWindow::ToggleInsertMode() {
    WriteSetting(kInsertKey, ReadInsertMode() ? "0" : "1");
    UpdateOverwriteIndicator();
}

void MainWindow::UpdateOverwriteIndicator() {
    ovr_->setEnabled(!ReadInsertMode());
}

void MainWindow::RestorePlacement() {
    QRect desktop = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    QRect rect = ParseMainRect(ReadSetting(kMainRectKey), minimumSizeHint())
                     .value_or(DefaultMainRect(desktop));
    setGeometry(rect);
    if (ReadIntSetting(kMaxKey, 0) == 1)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::SavePlacement() const {
    WriteSetting(kMaxKey, isMaximized() ? "1" : "0");
    WriteSetting(kMainRectKey,
                 FormatMainRect(normalGeometry().isValid() ? normalGeometry() : geometry()));
}

void MainWindow::ShowOptions() {
    OptionsDialog dialog(app_, this);
    dialog.exec();
}

// A finished icon library opens as the document, after the current one's changes are settled.
void MainWindow::ShowSnapshot() {
    SnapshotDialog dialog(
        app_, [this](const QString& path) { OpenPath(path); }, this);
    if (dialog.Prepare())
        dialog.exec();
}

void MainWindow::ShowImport() {
    ImportDialog dialog(app_, this);
    if (dialog.exec() == QDialog::Accepted)
        Import(dialog.File(), dialog.Folder());
}

// The current project's changes are settled first, so a Cancel there leaves nothing written.
bool MainWindow::Import(const std::string& file, const std::string& folder) {
    if (!document_.MaybeSave())
        return false;
    std::string project;
    if (!document_.Decompile(file, folder, &project)) {
        LogFailure(app_.dataFolder, "Import " + file);
        app_.ShowErrorTrail();
        return false;
    }
    OpenPath(QString::fromStdString(project));
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!document_.MaybeSave()) {
        event->ignore();
        return;
    }
    SavePlacement();
    document_.Close();
    QMainWindow::closeEvent(event);
}

} // namespace vellum::gui
