// The pane right of the tree: creates each viewer the first time it is needed, shows one at a
// time, saves the active viewer's pending edits and routes the Edit commands to it.
#pragma once

#include "application/AppServices.h"
#include "document/PendingEdits.h"
#include "imaging/ColorizeApply.h"
#include "project/Project.h"
#include "project/ViewDispatch.h"

#include <QWidget>

class QStackedLayout;

namespace vellum::gui {

class HexView;
class HeaderTableView;
class AcceleratorView;
class EditableView;
class ColorizerPanel;
class DialogView;
class MenuView;
class TextView;
class VersionView;
class ImageView;

// The kind of the active view: the viewer the dispatcher chose, None before any.
using ViewKind = ViewChoice;

class ViewerHost : public QWidget, public PendingEdits {
    Q_OBJECT
public:
    explicit ViewerHost(AppServices& app, QWidget* parent = nullptr);
    ~ViewerHost() override;

    // Shows the data file of the resource whose language entry is `node` (the file the compiler
    // reads, see Project::DataFilePath) in the viewer ChooseView picks for it. Text, dialogs,
    // menus and version information have no viewer of their own yet and show as hex. Pending
    // edits of the active viewer are saved first.
    void ShowResource(Project* project, XmlNode* node);
    // `fromImage` when the image view's View Hex asked for the file.
    void ShowHex(const std::string& path, Project* project, XmlNode* fileNode,
                 bool fromImage = false);
    void ShowImage(const std::string& path, Project* project, XmlNode* fileNode,
                   ImageRequest request);
    void ShowHeaderTable(const std::string& path);
    void ShowText(const std::string& path, Project* project, XmlNode* fileNode);
    void ShowVersion(const std::string& path, Project* project, XmlNode* fileNode);
    // Resource script, read-only in the text view, with Save Script As.
    void ShowScript(const std::string& text, const std::string& suggestedName);
    TextView* Text() { return text_; }
    VersionView* Version() { return version_; }
    void Clear();
    void SavePendingEdits();
    bool HasPendingEdits() const override;
    // The active viewer goes back to its file's contents.
    void DiscardPendingEdits() override;

    ViewKind Kind() const { return kind_; }
    HexView* Hex() { return hex_; }
    ImageView* Image() { return image_; }
    // The colorizer panel inside the image view; null until the first image is shown.
    ColorizerPanel* ColorPanel() { return colorPanel_; }
    HeaderTableView* HeaderTable() { return headerTable_; }

    void Copy();
    void Cut();
    void Paste();
    void Undo();
    bool CanCopy() const;
    bool CanCut() const;
    bool CanPaste() const;
    bool CanUndo() const;

signals:
    // The active viewer's edit state moved: the Edit commands' enabling may change.
    void CommandsChanged();
    // A viewer changed the project: wrote a resource file or replaced one.
    void ProjectChanged();

private:
    void CreateImageView();
    void CreateTextView();
    EditableView* ActiveEditable() const;
    template <class P> P* PaneIn(P*& slot);
    template <class P>
    void ShowTemplate(P* pane, void (P::*show)(const std::string&, Project*, XmlNode*),
                      const std::string& path, Project* project, XmlNode* fileNode, ViewKind kind);
    void Activate(QWidget* viewer, ViewKind kind);

    AppServices& app_;
    QStackedLayout* stack_;
    QWidget* empty_;
    HexView* hex_ = nullptr;
    ImageView* image_ = nullptr;
    ColorizerPanel* colorPanel_ = nullptr;
    DialogView* dialog_ = nullptr;
    MenuView* menu_ = nullptr;
    AcceleratorView* accelerators_ = nullptr;
    TextView* text_ = nullptr;
    VersionView* version_ = nullptr;
    // The image view's resource, for View Hex and back.
    Project* shownProject_ = nullptr;
    XmlNode* shownFile_ = nullptr;
    ImageRequest shownRequest_ = ImageRequest::Plain;
    HeaderTableView* headerTable_ = nullptr;
    ViewKind kind_ = ViewKind::None;
};

} // namespace vellum::gui
