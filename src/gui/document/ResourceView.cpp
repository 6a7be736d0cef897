// The view: layout, selection and the tree's commands.
#include "document/ResourceView.h"

#include "application/Settings.h"
#include "application/StartDocument.h"
#include "common/Path.h"
#include "dialogs/InsertResourceDialog.h"
#include "document/DeleteResource.h"
#include "document/ProjectDocument.h"
#include "document/ResourceTreeWidget.h"
#include "document/ViewerHost.h"

#include <QHBoxLayout>
#include <QSplitter>

namespace vellum::gui {

ResourceView::ResourceView(AppServices& app, ProjectDocument& document, QWidget* parent)
    : QWidget(parent), app_(app), document_(document) {
    setObjectName("ResourceView");
    tree_ = new ResourceTreeWidget;
    host_ = new ViewerHost(app);
    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->setHandleWidth(kSplitterWidth);
    splitter_->setChildrenCollapsible(true);
    splitter_->addWidget(tree_);
    splitter_->addWidget(host_);
    splitter_->setStretchFactor(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);
    SetSplitterX(ReadIntSetting(kSplitterKey, kDefaultSplitterX));
    document_.SetTree(tree_);
    connect(&document_, &ProjectDocument::AboutToRelease, this, &ResourceView::ReleaseProject);
    connect(&document_, &ProjectDocument::Loaded, this, &ResourceView::Refill);
    connect(&document_, &ProjectDocument::AboutToCompile, host_, &ViewerHost::SavePendingEdits);
    // The host may still save an edit while the view is being destroyed; the document outlives
    // both.
    connect(host_, &ViewerHost::ProjectChanged, &document_,
            [document = &document_] { document->SetModified(true); });
    document_.SetPendingEdits(host_);
    connect(tree_, &QTreeWidget::currentItemChanged, this, &ResourceView::ShowSelection);
    connect(splitter_, &QSplitter::splitterMoved, this, &ResourceView::SaveLayout);
    Refill();
}

ResourceView::~ResourceView() {
    SaveLayout();
    document_.SetTree(nullptr);
    document_.SetPendingEdits(nullptr);
}

int ResourceView::SplitterX() const {
    return splitter_->sizes().value(0);
}

void ResourceView::SetSplitterX(int x) {
    int total = std::max(width(), x + kSplitterWidth + 1);
    splitter_->setSizes({x, total - x - kSplitterWidth});
}

void ResourceView::SaveLayout() const {
    WriteSetting(kSplitterKey, QString::number(SplitterX()));
}

// The tree's items point into the manifest that is about to go.
void ResourceView::ReleaseProject() {
    host_->Clear();
    QSignalBlocker quiet(tree_);
    tree_->clear();
}

void ResourceView::Refill() {
    host_->Clear();
    QSignalBlocker quiet(tree_);
    tree_->Fill(document_.GetProject());
}

void ResourceView::ShowSelection() {
    host_->ShowResource(document_.GetProject(), ResourceTreeWidget::NodeOf(tree_->currentItem()));
}

bool ResourceView::DeleteResource() {
    Project* project = document_.GetProject();
    if (!project || !DeleteSelectedResource(*tree_, *project, app_.prompter))
        return false;
    document_.SetModified(true);
    return true;
}

// The viewer lets go of its resource first: adding an image to an icon renumbers the icon's
// members, and an edit not yet saved belongs in the file it was made for.
bool ResourceView::AddResource() {
    Project* project = document_.GetProject();
    if (!project)
        return false;
    host_->SavePendingEdits();
    host_->Clear();
    InsertContext context;
    context.visualStyle = HasExtension(document_.SourcePath(), ".msstyles");
    context.scratchFolder = WorkFolder(app_.dataFolder);
    tree_->ForgetLastInserted();
    InsertResourceDialog dialog(app_, *project, context, this);
    bool added = dialog.exec() == QDialog::Accepted;
    if (added)
        document_.SetModified(true);
    XmlNode* inserted = tree_->LastInserted();
    QTreeWidgetItem* item = inserted ? tree_->FindItem(inserted) : nullptr;
    if (added && item)
        tree_->setCurrentItem(item);
    else
        ShowSelection();
    return added;
}

bool ResourceView::ToggleDebugMode() {
    app_.debugMode = !ReadDebugMode();
    WriteSetting(kDebugModeKey, app_.debugMode ? "1" : "0");
    return app_.debugMode;
}

// New always asks its own question; its answer also settles unsaved changes, so a modified
// project is not asked about a second time.
void ResourceView::NewBlankDll() {
    int answer = app_.prompter.Ask("Save current resource file?", "Save File",
                                   MB_YESNOCANCEL | MB_ICONQUESTION);
    if (!document_.SaveOrDiscard(answer))
        return;
    if (!document_.NewBlank())
        return;
    app_.prompter.Ask("Vellum has created a blank Win32 DLL.\nYou may now add resources to this "
                      "blank dll.\n",
                      "New DLL Created", MB_OK | MB_ICONINFORMATION);
}

} // namespace vellum::gui
