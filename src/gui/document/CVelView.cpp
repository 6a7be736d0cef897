// The view: layout, selection and the tree's commands.
#include "document/CVelView.h"

#include "app/Settings.h"
#include "document/CVelDoc.h"
#include "document/DeleteResource.h"
#include "document/ResourceTreeWidget.h"
#include "document/ViewerHost.h"

#include <QHBoxLayout>
#include <QSplitter>

namespace vellum::gui {

CVelView::CVelView(AppServices& app, CVelDoc& document, QWidget* parent)
    : QWidget(parent), app_(app), document_(document) {
    setObjectName("CVelView");
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
    connect(&document_, &CVelDoc::AboutToRelease, this, &CVelView::ReleaseProject);
    connect(&document_, &CVelDoc::Loaded, this, &CVelView::OnLoaded);
    connect(&document_, &CVelDoc::AboutToCompile, host_, &ViewerHost::SavePendingEdits);
    // The host may still save an edit while the view is being destroyed; the document outlives
    // both.
    connect(host_, &ViewerHost::ProjectChanged, &document_,
            [document = &document_] { document->SetModified(true); });
    document_.SetPendingEdits(host_);
    connect(tree_, &QTreeWidget::currentItemChanged, this, &CVelView::OnSelectionChanged);
    connect(splitter_, &QSplitter::splitterMoved, this, &CVelView::SaveLayout);
    OnLoaded();
}

CVelView::~CVelView() {
    SaveLayout();
    document_.SetTree(nullptr);
    document_.SetPendingEdits(nullptr);
}

int CVelView::SplitterX() const {
    return splitter_->sizes().value(0);
}

void CVelView::SetSplitterX(int x) {
    int total = std::max(width(), x + kSplitterWidth + 1);
    splitter_->setSizes({x, total - x - kSplitterWidth});
}

void CVelView::SaveLayout() const {
    WriteSetting(kSplitterKey, QString::number(SplitterX()));
}

// The tree's items point into the manifest that is about to go.
void CVelView::ReleaseProject() {
    host_->Clear();
    QSignalBlocker quiet(tree_);
    tree_->clear();
}

void CVelView::OnLoaded() {
    host_->Clear();
    QSignalBlocker quiet(tree_);
    tree_->Fill(document_.GetProject());
}

void CVelView::OnSelectionChanged() {
    host_->ShowResource(document_.GetProject(), ResourceTreeWidget::NodeOf(tree_->currentItem()));
}

bool CVelView::DeleteResource() {
    Project* project = document_.GetProject();
    if (!project || !DeleteSelectedResource(*tree_, *project, app_.prompter))
        return false;
    document_.SetModified(true);
    return true;
}

bool CVelView::ToggleDebugMode() {
    app_.debugMode = !ReadDebugMode();
    WriteSetting(kDebugModeKey, app_.debugMode ? "1" : "0");
    return app_.debugMode;
}

// New always asks its own question; its answer also settles unsaved changes, so a modified
// project is not asked about a second time.
void CVelView::NewBlankDll() {
    int answer = app_.prompter.Ask("Save current resource file?", "Save File",
                                   MB_YESNOCANCEL | MB_ICONQUESTION);
    if (!document_.SaveOrDiscard(answer))
        return;
    if (!document_.NewBlankDocument())
        return;
    app_.prompter.Ask("Vellum has created a blank Win32 DLL.\nYou may now add resources to this "
                      "blank dll.\n",
                      "New DLL Created", MB_OK | MB_ICONINFORMATION);
}

} // namespace vellum::gui
