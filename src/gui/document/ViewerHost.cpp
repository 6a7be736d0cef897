// Choosing, creating and switching the viewers.
#include "document/ViewerHost.h"

#include "common/Path.h"
#include "common/ResourceDataFile.h"
#include "common/Strings.h"
#include "formats/ResourceDirectory.h"
#include "operations/ProjectScript.h"
#include "project/ViewDispatch.h"
#include "views/AcceleratorView.h"
#include "views/ColorizerPanel.h"
#include "views/DialogView.h"
#include "views/HeaderTableView.h"
#include "views/HexView.h"
#include "views/ImageView.h"
#include "views/MenuView.h"
#include "views/TextView.h"
#include "views/VersionView.h"

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
    case ViewChoice::Text:
        ShowText(path, project, file);
        break;
    case ViewChoice::Version:
        ShowVersion(path, project, file);
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

void ViewerHost::ShowText(const std::string& path, Project* project, XmlNode* fileNode) {
    shownProject_ = project;
    shownFile_ = fileNode;
    CreateTextView();
    text_->ShowText(path, project, fileNode);
    // String tables live together in STRINGS.XML; their script is that of one language's blocks.
    if (project && project->TypeOfFile(fileNode) == int(rt::kStringTable)) {
        int language = Project::Int(fileNode->parent, "ID");
        std::string folder = project->Folder();
        text_->SetScriptSource(
            [this, folder, language] { return StringTableScript(folder, language, app_.prompter); },
            Format("StringTable_%d.rc", language));
    }
    Activate(text_, ViewKind::Text);
}

// Resource script: read-only, in the text view.
void ViewerHost::ShowScript(const std::string& text, const std::string& suggestedName) {
    SavePendingEdits();
    CreateTextView();
    text_->ShowScript(text, suggestedName);
    Activate(text_, ViewKind::Text);
}

void ViewerHost::CreateTextView() {
    if (text_)
        return;
    text_ = new TextView(app_);
    stack_->addWidget(text_);
    connect(text_, &TextView::CommandsChanged, this, &ViewerHost::CommandsChanged);
    connect(text_, &TextView::FileChanged, this, &ViewerHost::ProjectChanged);
    connect(text_, &TextView::ViewHexRequested, this, [this](const std::string& path) {
        SavePendingEdits();
        ShowHex(path, shownProject_, shownFile_);
    });
}

void ViewerHost::ShowVersion(const std::string& path, Project* project, XmlNode* fileNode) {
    if (!version_) {
        version_ = new VersionView(app_);
        stack_->addWidget(version_);
        connect(version_, &VersionView::CommandsChanged, this, &ViewerHost::CommandsChanged);
        connect(version_, &VersionView::FileChanged, this, &ViewerHost::ProjectChanged);
        connect(version_, &VersionView::ScriptRequested, this, &ViewerHost::ShowScript);
    }
    shownProject_ = project;
    shownFile_ = fileNode;
    version_->ShowVersion(path, project, fileNode);
    Activate(version_, ViewKind::Version);
}

// The dialog, menu and accelerator panes: created on first use, View Hex shows the same file in
// the hex view.
template <class P> P* ViewerHost::PaneIn(P*& slot) {
    if (!slot) {
        slot = new P;
        stack_->addWidget(slot);
        connect(slot, &TemplatePane::ScriptRequested, this, [this, slot](const QString& script) {
            ShowScript(script.toStdString(), SplitPath(slot->Path()).fname + ".rc");
        });
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
    if (text_ && viewer != text_)
        text_->Close();
    if (version_ && viewer != version_)
        version_->Close();
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

// The viewer that edits its file in place, when one is active.
EditableView* ViewerHost::ActiveEditable() const {
    if (kind_ == ViewKind::Text)
        return text_;
    if (kind_ == ViewKind::Version)
        return version_;
    return nullptr;
}

// Pending edits live in the hex, text and version views; the others only show.
void ViewerHost::SavePendingEdits() {
    if (kind_ == ViewKind::Hex && hex_ && hex_->Modified())
        hex_->Save();
    else if (EditableView* view = ActiveEditable())
        view->SavePendingEdits();
}

bool ViewerHost::HasPendingEdits() const {
    if (kind_ == ViewKind::Hex)
        return hex_ && hex_->Modified();
    EditableView* view = ActiveEditable();
    return view && view->HasPendingEdits();
}

void ViewerHost::DiscardPendingEdits() {
    if (!HasPendingEdits())
        return;
    if (kind_ == ViewKind::Hex)
        hex_->Undo();
    else
        ActiveEditable()->DiscardPendingEdits();
}

void ViewerHost::Copy() {
    if (kind_ == ViewKind::Hex)
        hex_->Edit()->CopyToClipboard();
    else if (kind_ == ViewKind::Image)
        image_->CopyToClipboard();
    else if (EditableView* view = ActiveEditable())
        view->Copy();
}

void ViewerHost::Cut() {
    if (kind_ == ViewKind::Hex)
        hex_->Edit()->CutToClipboard();
    else if (EditableView* view = ActiveEditable())
        view->Cut();
}

void ViewerHost::Paste() {
    if (kind_ == ViewKind::Hex)
        hex_->Edit()->PasteFromClipboard();
    else if (EditableView* view = ActiveEditable())
        view->Paste();
}

void ViewerHost::Undo() {
    if (kind_ == ViewKind::Hex)
        hex_->Undo();
    else if (EditableView* view = ActiveEditable())
        view->Undo();
}

// The image view copies its picture; a group has no single picture to copy.
bool ViewerHost::CanCopy() const {
    if (kind_ == ViewKind::Image)
        return true;
    if (kind_ == ViewKind::Hex)
        return hex_->Edit()->Buffer().HasSelection();
    EditableView* view = ActiveEditable();
    return view && view->CanCopy();
}

bool ViewerHost::CanCut() const {
    if (kind_ == ViewKind::Hex)
        return CanCopy();
    EditableView* view = ActiveEditable();
    return view && view->CanCut();
}

bool ViewerHost::CanPaste() const {
    if (kind_ == ViewKind::Hex)
        return HexEdit::ClipboardHasData();
    EditableView* view = ActiveEditable();
    return view && view->CanPaste();
}

bool ViewerHost::CanUndo() const {
    if (kind_ == ViewKind::Hex)
        return hex_->Modified();
    EditableView* view = ActiveEditable();
    return view && view->CanUndo();
}

} // namespace vellum::gui
