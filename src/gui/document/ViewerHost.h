// The pane right of the tree: creates each viewer the first time it is needed, shows one at a
// time, saves the active viewer's pending edits and routes the Edit commands to it.
#pragma once

#include "application/AppServices.h"
#include "document/PendingEdits.h"
#include "project/Project.h"

#include <QWidget>

class QStackedLayout;

namespace vellum::gui {

class HexView;
class HeaderTableView;

// The kinds of the active view; the numbers are those the program has always used.
enum class ViewKind { None = 0, Hex = 1, HeaderTable = 11 };

class ViewerHost : public QWidget, public PendingEdits {
    Q_OBJECT
public:
    explicit ViewerHost(AppServices& app, QWidget* parent = nullptr);
    ~ViewerHost() override;

    // Shows the data file of the resource whose language entry is `node` (the file the compiler
    // reads, see Project::DataFilePath): header tables in the table view, every other file in the
    // hex view. Pending edits of the active viewer are saved first.
    void ShowResource(Project* project, XmlNode* node);
    void ShowHex(const std::string& path, Project* project, XmlNode* fileNode);
    void ShowHeaderTable(const std::string& path);
    void Clear();
    void SavePendingEdits();
    bool HasPendingEdits() const override;
    // The active viewer goes back to its file's contents.
    void DiscardPendingEdits() override;

    ViewKind Kind() const { return kind_; }
    HexView* Hex() { return hex_; }
    HeaderTableView* HeaderTable() { return headerTable_; }

    void Copy();
    void Cut();
    void Paste();
    void Undo();
    bool CanCopy() const;
    bool CanCut() const { return CanCopy(); }
    bool CanPaste() const;
    bool CanUndo() const;

signals:
    // The active viewer's edit state moved: the Edit commands' enabling may change.
    void CommandsChanged();
    // A viewer changed the project: wrote a resource file or replaced one.
    void ProjectChanged();

private:
    void Activate(QWidget* viewer, ViewKind kind);

    AppServices& app_;
    QStackedLayout* stack_;
    QWidget* empty_;
    HexView* hex_ = nullptr;
    HeaderTableView* headerTable_ = nullptr;
    ViewKind kind_ = ViewKind::None;
};

} // namespace vellum::gui
