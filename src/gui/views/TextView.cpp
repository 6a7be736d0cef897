// Loading, saving, searching and watching the file the text pane shows.
#include "views/TextView.h"

#include "common/FileIo.h"
#include "common/TrailModules.h"
#include "views/EditorButton.h"
#include "views/FileTime.h"
#include "views/FindTextDialog.h"
#include "views/ReplaceFile.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

void ReportOpenFailure(const std::string& path, HRESULT hr) {
    ReportError(trail::kVellum, __LINE__, hr, "Failed to open file: \r\n\r\n'%s'", path.c_str());
}

// The editor's text as it stands. The document keeps paragraph separators (U+2029) between
// lines and no-break spaces as they are; toPlainText() would turn those into plain spaces.
std::u16string EditorText(const QPlainTextEdit* editor) {
    QString raw = editor->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw.toStdU16String();
}

} // namespace

TextView::TextView(AppServices& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("TextView");
    auto* toolbar = new QToolBar;
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolbar->setFixedHeight(32);
    editButton_ = new EditorButton(app_, EditorKind::Text);
    fileActions_.push_back(toolbar->addWidget(editButton_));
    fileActions_.push_back(toolbar->addAction("Replace...", this, &TextView::Replace));
    fileActions_.push_back(
        toolbar->addAction("View Hex", this, [this] { emit ViewHexRequested(path_); }));
    saveScriptAction_ = toolbar->addAction("Save Script As...", this, &TextView::SaveScriptAs);
    viewScriptAction_ = toolbar->addAction("View as Script", this, [this] {
        SavePendingEdits();
        std::function<std::string()> source = scriptSource_;
        ShowScript(source(), scriptSourceName_);
    });
    toolbar->addAction("Change Font Size", this, &TextView::NextFontSize);
    toolbar->addAction("Find...", this, [this] { OpenFind()->show(); });
    // Tool buttons show an action's icon text, which Qt derives by dropping the "..." that
    // says a dialog follows; the labels keep it.
    for (QAction* action : toolbar->actions())
        action->setIconText(action->text());

    editor_ = new QPlainTextEdit;
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor_->setUndoRedoEnabled(true);
    status_ = new QLabel;
    status_->setObjectName("TextStatus");
    status_->setWordWrap(true);
    status_->setContentsMargins(6, 3, 6, 3);
    status_->setStyleSheet("background: #FFF4CE; color: #3B2F00;");
    status_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(status_);
    layout->addWidget(editor_, 1);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(fontHeight_);
    editor_->setFont(font);
    connect(editor_, &QPlainTextEdit::undoAvailable, this, &TextView::CommandsChanged);
    watch_.setInterval(kWatchIntervalMs);
    connect(&watch_, &QTimer::timeout, this, &TextView::CheckFile);
    SetMode(false);
}

void TextView::SetMode(bool script) {
    scriptMode_ = script;
    for (QAction* action : fileActions_)
        action->setVisible(!script);
    saveScriptAction_->setVisible(script);
    viewScriptAction_->setVisible(!script && scriptSource_ != nullptr);
    editor_->setReadOnly(script);
}

void TextView::ShowStatus(const std::string& text) {
    status_->setText(QString::fromStdString(text));
    status_->setVisible(!text.empty());
}

void TextView::SetScriptSource(std::function<std::string()> source,
                               const std::string& suggestedName) {
    scriptSource_ = std::move(source);
    scriptSourceName_ = suggestedName;
    viewScriptAction_->setVisible(!scriptMode_ && scriptSource_ != nullptr);
}

void TextView::ShowText(const std::string& path, Project* project, XmlNode* fileNode) {
    scriptSource_ = nullptr;
    SetMode(false);
    path_ = path;
    project_ = project;
    fileNode_ = fileNode;
    editButton_->SetFile(path);
    Load();
    watch_.start();
}

void TextView::ShowScript(const std::string& text, const std::string& suggestedName) {
    Close();
    SetMode(true);
    suggestedName_ = suggestedName;
    script_ = text;
    editor_->setPlainText(QString::fromStdString(text));
    editor_->document()->setModified(false);
    ShowStatus("Resource script, read-only. Save Script As... writes it as a UTF-8 .rc file.");
}

void TextView::Close() {
    watch_.stop();
    path_.clear();
    project_ = nullptr;
    fileNode_ = nullptr;
    editButton_->SetFile({});
}

void TextView::Load() {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(path_, bytes);
    seen_ = LastWriteTime(path_);
    if (FAILED(hr)) {
        // The text stays for reading, but it is not this file's: it must not be saved over it.
        editor_->document()->setModified(false);
        ReportOpenFailure(path_, hr);
        app_.ShowErrorTrailIfAny();
        return;
    }
    bytes_ = std::move(bytes);
    read_ = DecodeTextFile(path_, ByteView(bytes_.data(), bytes_.size()));
    editor_->setPlainText(QString::fromStdU16String(read_.text));
    read_.text.clear();
    editor_->document()->setModified(false);
    ShowStatus(read_.note);
    emit CommandsChanged();
}

bool TextView::HasPendingEdits() const {
    return !scriptMode_ && !path_.empty() && editor_->document()->isModified();
}

void TextView::DiscardPendingEdits() {
    if (HasPendingEdits())
        Load();
}

bool TextView::SavePendingEdits() {
    if (!HasPendingEdits())
        return true;
    std::optional<std::vector<std::uint8_t>> bytes = EncodeTextFile(read_, EditorText(editor_));
    if (!bytes) {
        app_.prompter.Ask("The text holds characters that this file's 8-bit encoding cannot "
                          "hold (it is not UTF-8). Remove them, or edit the file in another "
                          "editor.",
                          "Vellum", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (*bytes != bytes_) {
        HRESULT hr = ReplaceFileContents(path_, bytes->data(), bytes->size());
        if (FAILED(hr)) {
            ReportOpenFailure(path_, hr);
            app_.ShowErrorTrailIfAny();
            return false;
        }
        bytes_ = std::move(*bytes);
        seen_ = LastWriteTime(path_);
        emit FileChanged();
    }
    editor_->document()->setModified(false);
    return true;
}

void TextView::CheckFile() {
    if (path_.empty())
        return;
    if (LastWriteTime(path_) > seen_)
        Load();
}

void TextView::Copy() {
    editor_->copy();
}
void TextView::Cut() {
    editor_->cut();
}
void TextView::Paste() {
    editor_->paste();
}
void TextView::Undo() {
    editor_->undo();
}

bool TextView::CanUndo() const {
    return !scriptMode_ && editor_->document()->isUndoAvailable();
}

int TextView::FontHeightAfter(int height) {
    if (height < 10)
        return 11;
    if (height <= 11)
        return 16;
    if (height <= 16)
        return 20;
    if (height <= 20)
        return 24;
    return height <= 24 ? 30 : 9;
}

void TextView::NextFontSize() {
    fontHeight_ = FontHeightAfter(fontHeight_);
    QFont font = editor_->font();
    font.setPixelSize(fontHeight_);
    editor_->setFont(font);
}

FindTextDialog* TextView::OpenFind() {
    if (!find_) {
        find_ = new FindTextDialog(this);
        connect(find_, &FindTextDialog::FindNext, this, &TextView::FindNext);
        connect(find_, &FindTextDialog::Replace, this, &TextView::ReplaceNext);
        connect(find_, &FindTextDialog::ReplaceAll, this, &TextView::ReplaceAll);
    }
    nextStart_ = 0;
    return find_;
}

bool TextView::FindFrom(int from) {
    if (!find_ || find_->What()->text().isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (find_->WholeWord()->isChecked())
        flags |= QTextDocument::FindWholeWords;
    if (find_->MatchCase()->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    QTextCursor found = editor_->document()->find(find_->What()->text(), from, flags);
    if (found.isNull())
        return false;
    editor_->setTextCursor(found);
    editor_->ensureCursorVisible();
    // The match's line becomes the first line shown (the scroll bar counts lines here).
    editor_->verticalScrollBar()->setValue(found.block().firstLineNumber());
    return true;
}

void TextView::NotFound() {
    app_.prompter.Ask("Text not found", "Find", MB_OK | MB_ICONASTERISK);
}

void TextView::FindNext() {
    if (!FindFrom(nextStart_))
        return NotFound();
    nextStart_ = editor_->textCursor().selectionStart() + 1;
}

// The next search starts behind the inserted text, so that a replacement holding the text
// searched for is not found again.
void TextView::ReplaceNext() {
    if (scriptMode_ || !FindFrom(nextStart_))
        return NotFound();
    QTextCursor cursor = editor_->textCursor();
    cursor.insertText(find_->With()->text());
    nextStart_ = cursor.position();
}

void TextView::ReplaceAll() {
    if (scriptMode_)
        return;
    QTextCursor edit = editor_->textCursor();
    edit.beginEditBlock(); // one Undo takes every replacement back
    int replaced = 0;
    for (; FindFrom(nextStart_); ++replaced) {
        QTextCursor cursor = editor_->textCursor();
        cursor.insertText(find_->With()->text());
        nextStart_ = cursor.position();
    }
    edit.endEditBlock();
    if (replaced == 0)
        NotFound();
}

void TextView::Replace() {
    QString chosen =
        QFileDialog::getOpenFileName(this, "Browse For a File", QString::fromStdString(path_),
                                     "Text Files (*.ini *.xml *.css);;All Files (*)");
    if (!chosen.isEmpty())
        ReplaceWith(chosen.toStdString());
}

bool TextView::ReplaceWith(const std::string& chosen) {
    auto target = ReplacePaneFile(app_, path_, chosen, project_, fileNode_);
    if (!target)
        return false;
    ShowText(*target, project_, fileNode_);
    emit FileChanged();
    return true;
}

void TextView::SaveScriptAs() {
    QString chosen =
        QFileDialog::getSaveFileName(this, "Save Script As", QString::fromStdString(suggestedName_),
                                     "Resource Scripts (*.rc);;All Files (*)");
    if (!chosen.isEmpty())
        SaveScriptTo(chosen.toStdString());
}

bool TextView::SaveScriptTo(const std::string& path) {
    // The text as it was handed over: the editor's plain text would turn no-break spaces into
    // spaces.
    HRESULT hr = ReplaceFileContents(path, script_.data(), script_.size());
    if (FAILED(hr)) {
        ReportOpenFailure(path, hr);
        app_.ShowErrorTrailIfAny();
    }
    return SUCCEEDED(hr);
}

} // namespace vellum::gui
