// The main window's view: the resource tree left of a 7-pixel splitter bar and the viewer host
// right of it. Selecting a resource shows it; the tree's commands edit the manifest through the
// project library.
#pragma once

#include "application/AppServices.h"

#include <QWidget>

class QSplitter;

namespace vellum::gui {

class ProjectDocument;
class ResourceTreeWidget;
class ViewerHost;

class ResourceView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSplitterWidth = 7;
    static constexpr int kDefaultSplitterX = 250;

    ResourceView(AppServices& app, ProjectDocument& document, QWidget* parent = nullptr);
    ~ResourceView() override;

    ResourceTreeWidget* Tree() { return tree_; }
    ViewerHost* Host() { return host_; }
    QSplitter* Splitter() { return splitter_; }
    int SplitterX() const;
    void SetSplitterX(int x);

    // Commands.
    bool DeleteResource();
    // The Insert New Resource dialog; the resource added is selected.
    bool AddResource();
    // Flips "DebugMode" between "1" and "0"; returns the new state.
    bool ToggleDebugMode();
    // Opens the blank DLL as a new project, offering to save the current one first.
    void NewBlankDll();

private:
    void ReleaseProject();
    void Refill();
    void ShowSelection();
    void SaveLayout() const;

    AppServices& app_;
    ProjectDocument& document_;
    ResourceTreeWidget* tree_;
    ViewerHost* host_;
    QSplitter* splitter_;
};

} // namespace vellum::gui
