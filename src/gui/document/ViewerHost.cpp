// Choosing, creating and switching the viewers.
#include "document/ViewerHost.h"

#include "common/Path.h"
#include "common/ResourceDataFile.h"
#include "project/ViewDispatch.h"
#include "views/AcceleratorView.h"
#include "views/ColorizerPanel.h"
#include "views/DialogView.h"
#include "views/HeaderTableView.h"
#include "views/HexView.h"
#include "views/ImageView.h"
#include "views/MenuView.h"

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
    bool png = Project::Int(file, "Png") != 0;
    // A bitmap written without its own ".BMP" is read from its title plus ".bmp".
    std::string name = ResourceDataFileName(Project::Text(file, "Name"), false,
                                            Project::Int(file, "StripExt") != 0);
    switch (ChooseView(ViewMode::Automatic, project->TypeOfFile(file), name, png)) {
    case ViewChoice::HeaderTable:
        ShowHeaderTable(path);
        break;
    case ViewChoice::Image:
        ShowImage(path, project, file, ImageRequest::Plain);
        break;
    case ViewChoice::ImageIconGroup:
        ShowImage(path, project, file, ImageRequest::IconGroup);
        break;
    case ViewChoice::ImageCursorGroup:
        ShowImage(path, project, file, ImageRequest::CursorGroup);
        break;
    case ViewChoice::Dialog:
        ShowTemplate(PaneIn(dialog_), &DialogView::Show, path, project, file, ViewKind::Dialog);
        break;
    case ViewChoice::Menu:
        ShowTemplate(PaneIn(menu_), &MenuView::Show, path, project, file, ViewKind::Menu);
        break;
    case ViewChoice::Accelerators:
        ShowTemplate(PaneIn(accelerators_), &AcceleratorView::Show, path, project, file,
                     ViewKind::Accelerators);
        break;
    default: // hex, and the kinds whose viewers are still to come
        ShowHex(path, project, file);
        break;
    }
}

// The dialog, menu and accelerator panes: created on first use, View Hex shows the same file in
// the hex view.
template <class P> P* ViewerHost::PaneIn(P*& slot) {
    if (!slot) {
        slot = new P;
        stack_->addWidget(slot);
        connect(slot, &TemplatePane::HexRequested, this, [this](const QString& path) {
            ShowHex(path.toStdString(), shownProject_, shownFile_);
        });
    }
    return slot;
}

template <class P>
void ViewerHost::ShowTemplate(P* pane, void (P::*show)(const std::string&, Project*, XmlNode*),
                              const std::string& path, Project* project, XmlNode* fileNode,
                              ViewKind kind) {
    shownProject_ = project;
    shownFile_ = fileNode;
    (pane->*show)(path, project, fileNode);
    Activate(pane, kind);
}

void ViewerHost::Activate(QWidget* viewer, ViewKind kind) {
    if (hex_ && viewer != hex_)
        hex_->Close();
    if (image_ && viewer != image_)
        image_->Clear();
    stack_->setCurrentWidget(viewer);
    kind_ = kind;
    viewer->update();
    emit CommandsChanged();
}

void ViewerHost::ShowHex(const std::string& path, Project* project, XmlNode* fileNode,
                         bool fromImage) {
    if (!hex_) {
        hex_ = new HexView(app_);
        stack_->addWidget(hex_);
        connect(hex_->Edit(), &HexEdit::StateChanged, this, &ViewerHost::CommandsChanged);
        connect(hex_, &HexView::FileChanged, this, &ViewerHost::ProjectChanged);
        connect(hex_, &HexView::ViewImageRequested, this, [this] {
            SavePendingEdits();
            ShowImage(hex_->Path(), shownProject_, shownFile_, shownRequest_);
        });
    }
    hex_->Open(path, project, fileNode, fromImage);
    Activate(hex_, ViewKind::Hex);
}

// The image view with the colorizer panel beside the picture: every change of the panel previews
// on the image, Save Colorization writes through the view.
void ViewerHost::CreateImageView() {
    image_ = new ImageView(app_);
    stack_->addWidget(image_);
    connect(image_, &ImageView::FileChanged, this, &ViewerHost::ProjectChanged);
    connect(image_, &ImageView::ViewHexRequested, this,
            [this] { ShowHex(image_->Path(), shownProject_, shownFile_, true); });
    colorPanel_ = new ColorizerPanel(app_);
    image_->SetColorizerPanel(colorPanel_);
    connect(colorPanel_, &ColorizerPanel::PreviewRequested, image_,
            [this] { image_->PreviewColorized(colorPanel_->CurrentColorizer()); });
    connect(colorPanel_, &ColorizerPanel::ApplyRequested, image_, [this](ColorizeScope scope) {
        image_->ApplyColorization(colorPanel_->CurrentColorizer(), scope);
    });
}

void ViewerHost::ShowImage(const std::string& path, Project* project, XmlNode* fileNode,
                           ImageRequest request) {
    if (!image_)
        CreateImageView();
    shownProject_ = project;
    shownFile_ = fileNode;
    shownRequest_ = request;
    image_->Show(path, project, fileNode, request);
    ViewKind kind = request == ImageRequest::IconGroup     ? ViewKind::ImageIconGroup
                    : request == ImageRequest::CursorGroup ? ViewKind::ImageCursorGroup
                                                           : ViewKind::Image;
    Activate(image_, kind);
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
    else if (kind_ == ViewKind::Image)
        image_->CopyToClipboard();
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

// The image view copies its picture; a group has no single picture to copy.
bool ViewerHost::CanCopy() const {
    if (kind_ == ViewKind::Image)
        return true;
    return kind_ == ViewKind::Hex && hex_->Edit()->Buffer().HasSelection();
}

bool ViewerHost::CanPaste() const {
    return kind_ == ViewKind::Hex && HexEdit::ClipboardHasData();
}

bool ViewerHost::CanUndo() const {
    return kind_ == ViewKind::Hex && hex_->Modified();
}

} // namespace vellum::gui
