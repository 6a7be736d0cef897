// The text pane: a toolbar (Edit with its editors, Replace..., View Hex, Change Font Size,
// Find...) above a plain-text editor in a fixed-pitch font, a status line for what the reader had
// to decide about the file, and a file watch that reloads the file when another program changes
// it. Files are shown and written back in the encoding they were read in (common/TextFile.h).
// A second, read-only mode shows resource-script text with a "Save Script As..." button.
#pragma once

#include "application/AppServices.h"
#include "common/TextFile.h"
#include "document/EditableView.h"
#include "project/Project.h"

#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QPlainTextEdit;

namespace vellum::gui {

class EditorButton;
class FindTextDialog;

class TextView : public QWidget, public EditableView {
    Q_OBJECT
public:
    static constexpr int kWatchIntervalMs = 2000;

    TextView(AppServices& app, QWidget* parent = nullptr);

    // Shows the file of the resource whose File node is `fileNode`.
    void ShowText(const std::string& path, Project* project, XmlNode* fileNode);
    // Shows resource-script text, read-only; Save Script As... offers `suggestedName`.
    void ShowScript(const std::string& text, const std::string& suggestedName);
    // Offers "View as Script" for the shown file (string tables, kept as STRINGS.XML): the
    // source makes the script text, saved under `suggestedName`. Showing a file forgets it.
    void SetScriptSource(std::function<std::string()> source, const std::string& suggestedName);
    void Close();

    // Writes the text back when the user changed it and its bytes differ from the file's; false
    // when it could not be written (reported).
    bool SavePendingEdits() override;
    bool HasPendingEdits() const override;
    void DiscardPendingEdits() override;

    void Copy() override;
    void Cut() override;
    void Paste() override;
    void Undo() override;
    bool CanCopy() const override { return true; }
    bool CanCut() const override { return !scriptMode_; }
    bool CanPaste() const override { return !scriptMode_; }
    bool CanUndo() const override;

    // The font height moves along 9, 11, 16, 20, 24, 30 and back to 9.
    void NextFontSize();
    int FontHeight() const { return fontHeight_; }
    static int FontHeightAfter(int height);

    // Opens the Find Text dialog; each opening searches from the start of the text again.
    FindTextDialog* OpenFind();
    void FindNext();
    void ReplaceNext();
    void ReplaceAll();

    // Replaces the resource's file by `chosen`; false when nothing was replaced.
    bool ReplaceWith(const std::string& chosen);
    // Writes the script text (UTF-8) to `path`; false when it could not be written (reported).
    bool SaveScriptTo(const std::string& path);

    QPlainTextEdit* Editor() const { return editor_; }
    QLabel* Status() const { return status_; }
    const std::string& Path() const { return path_; }
    bool ScriptMode() const { return scriptMode_; }
    EditorButton* EditButton() const { return editButton_; }

signals:
    // The pane wrote the resource's file or replaced it by another.
    void FileChanged();
    // Undo's enabling may have changed.
    void CommandsChanged();
    // "View Hex": the same file in the hex view.
    void ViewHexRequested(const std::string& path);

public slots:
    // Reloads the file when its last-write time is newer than the one last seen.
    void CheckFile();

private:
    void Load();
    void SetMode(bool script);
    void ShowStatus(const std::string& text);
    void Replace();
    void SaveScriptAs();
    // Finds the dialog's text from `from`; selects and scrolls to it. False when it is absent.
    bool FindFrom(int from);
    void NotFound();

    AppServices& app_;
    QPlainTextEdit* editor_;
    QLabel* status_;
    EditorButton* editButton_;
    std::vector<QAction*> fileActions_;
    QAction* saveScriptAction_;
    QAction* viewScriptAction_;
    std::function<std::string()> scriptSource_;
    std::string scriptSourceName_;
    FindTextDialog* find_ = nullptr;
    QTimer watch_;
    std::string path_;
    Project* project_ = nullptr;
    XmlNode* fileNode_ = nullptr;
    std::filesystem::file_time_type seen_{};
    DecodedText read_;                // the encoding and line breaks, without the text
    std::vector<std::uint8_t> bytes_; // the file as last read or written
    bool scriptMode_ = false;
    std::string suggestedName_;
    std::string script_; // the script text shown in script mode
    int fontHeight_ = 16;
    int nextStart_ = 0;
};

} // namespace vellum::gui
