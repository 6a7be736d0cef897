// The hex pane: a toolbar (Edit with its editors, Replace..., View Text/View Image) above the hex
// edit control, and a file watch that reloads the file when another program changes it.
#pragma once

#include "application/AppServices.h"
#include "project/Project.h"
#include "views/HexEdit.h"

#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <string>

class QAction;

namespace vellum::gui {

class EditorButton;

class HexView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWatchIntervalMs = 2000;

    HexView(AppServices& app, QWidget* parent = nullptr);

    // Shows the file; `fromImage` when the image view asked for the hex view.
    void Open(const std::string& path, Project* project, XmlNode* fileNode, bool fromImage);
    // Writes the buffer over the file, which then holds exactly the buffer.
    bool Save();
    // Pending edits go back to the file's contents.
    void Undo();
    // Replaces the resource's file by `chosen` (Replace... after its file dialog); false when
    // nothing was replaced.
    bool ReplaceWith(const std::string& chosen);
    void Close();

    bool Modified() const { return modified_; }
    const std::string& Path() const { return path_; }
    HexEdit* Edit() { return edit_; }
    EditorButton* EditButton() { return editButton_; }

signals:
    // The pane changed the project: it wrote the file or replaced it by another.
    void FileChanged();
    // View Image, when the image view asked for the hex view: the host shows the image again.
    void ViewImageRequested();

public slots:
    // Reloads the file when its last-write time is newer than the one last seen.
    void CheckFile();

private:
    void Load();
    void Replace();

    AppServices& app_;
    HexEdit* edit_;
    EditorButton* editButton_;
    QAction* viewAction_;
    QTimer watch_;
    std::string path_;
    Project* project_ = nullptr;
    XmlNode* fileNode_ = nullptr;
    std::filesystem::file_time_type seen_{};
    bool modified_ = false;
};

} // namespace vellum::gui
