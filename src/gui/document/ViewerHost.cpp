// Choosing, creating and switching the viewers.
#include "document/ViewerHost.h"

#include "common/Strings.h"
#include "views/HeaderTableView.h"
#include "views/HexView.h"

#include <QStackedLayout>

namespace vellum::gui {

ViewerHost::ViewerHost(AppServices& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("ViewerHost");
    stack_ = new QStackedLayout(this);
    empty_ = new QWidget;
    stack_->addWidget(empty_);
}

ViewerHost::~ViewerHost() {
    SavePendingEdits();
}

void ViewerHost::ShowResource(Project* project, XmlNode* node) {
    SavePendingEdits();
    XmlNode* file = Project::FileOfLanguage(node);
    std::string path = project ? project->DataFilePath(file) : std::string();
    if (path.empty()) {
        Clear();
        return;
    }
    if (EndsWithNoCase(path, ".hdr"))
        ShowHeaderTable(path);
    else
        ShowHex(path, project, file);
}

void ViewerHost::Activate(QWidget* viewer, ViewKind kind) {
    if (hex_ && viewer != hex_)
        hex_->Close();
    stack_->setCurrentWidget(viewer);
    kind_ = kind;
    viewer->update();
    emit CommandsChanged();
}

void ViewerHost::ShowHex(const std::string& path, Project* project, XmlNode* fileNode) {
    if (!hex_) {
        hex_ = new HexView(app_);
        stack_->addWidget(hex_);
        connect(hex_->Edit(), &HexEdit::StateChanged, this, &ViewerHost::CommandsChanged);
        connect(hex_, &HexView::FileChanged, this, &ViewerHost::ProjectChanged);
    }
    hex_->Open(path, project, fileNode, false);
    Activate(hex_, ViewKind::Hex);
}

void ViewerHost::ShowHeaderTable(const std::string& path) {
    if (!headerTable_) {
        headerTable_ = new HeaderTableView;
        stack_->addWidget(headerTable_);
    }
    XmlDocument table;
    table.Load(path);
    headerTable_->Show(table);
    Activate(headerTable_, ViewKind::HeaderTable);
}

void ViewerHost::Clear() {
    SavePendingEdits();
    Activate(empty_, ViewKind::None);
}

void ViewerHost::SavePendingEdits() {
    if (kind_ == ViewKind::Hex && hex_ && hex_->Modified())
        hex_->Save();
}

bool ViewerHost::HasPendingEdits() const {
    return kind_ == ViewKind::Hex && hex_ && hex_->Modified();
}

void ViewerHost::DiscardPendingEdits() {
    if (HasPendingEdits())
        hex_->Undo();
}

void ViewerHost::Copy() {
    if (kind_ == ViewKind::Hex)
        hex_->Edit()->CopyToClipboard();
}

void ViewerHost::Cut() {
    if (kind_ == ViewKind::Hex)
        hex_->Edit()->CutToClipboard();
}

void ViewerHost::Paste() {
    if (kind_ == ViewKind::Hex)
        hex_->Edit()->PasteFromClipboard();
}

void ViewerHost::Undo() {
    if (kind_ == ViewKind::Hex)
        hex_->Undo();
}

bool ViewerHost::CanCopy() const {
    return kind_ == ViewKind::Hex && hex_->Edit()->Buffer().HasSelection();
}

bool ViewerHost::CanPaste() const {
    return kind_ == ViewKind::Hex && HexEdit::ClipboardHasData();
}

bool ViewerHost::CanUndo() const {
    return kind_ == ViewKind::Hex && hex_->Modified();
}

} // namespace vellum::gui
