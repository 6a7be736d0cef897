// Loading, saving and watching the file the hex pane shows.
#include "views/HexView.h"

#include "common/FileIo.h"
#include "views/EditorButton.h"
#include "views/FileTime.h"
#include "views/ReplaceFile.h"

#include <QFileDialog>
#include <QToolBar>
#include <QVBoxLayout>

namespace vellum::gui {

HexView::HexView(AppServices& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("HexView");
    auto* toolbar = new QToolBar;
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolbar->setFixedHeight(32);
    editButton_ = new EditorButton(app_, EditorKind::Hex);
    toolbar->addWidget(editButton_);
    toolbar->addAction("Replace...", this, &HexView::Replace);
    viewAction_ = toolbar->addAction("View Text", this, &HexView::ViewImageRequested);
    viewAction_->setEnabled(false);
    edit_ = new HexEdit;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(edit_, 1);
    connect(edit_, &HexEdit::Edited, this, [this] { modified_ = true; });
    watch_.setInterval(kWatchIntervalMs);
    connect(&watch_, &QTimer::timeout, this, &HexView::CheckFile);
}

void HexView::Open(const std::string& path, Project* project, XmlNode* fileNode, bool fromImage) {
    path_ = path;
    editButton_->SetFile(path);
    project_ = project;
    fileNode_ = fileNode;
    // The text view is still to come; View Image goes back to the image view.
    viewAction_->setText(fromImage ? "View Image" : "View Text");
    viewAction_->setEnabled(fromImage);
    Load();
    watch_.start();
}

void HexView::Load() {
    std::vector<std::uint8_t> bytes;
    if (FAILED(ReadWholeFile(path_, bytes)))
        bytes.clear();
    seen_ = LastWriteTime(path_);
    edit_->SetData(std::move(bytes));
    modified_ = false;
}

bool HexView::Save() {
    if (path_.empty())
        return false;
    const auto& data = edit_->Buffer().Data();
    if (FAILED(WriteWholeFile(path_, data.data(), data.size())))
        return false;
    seen_ = LastWriteTime(path_);
    modified_ = false;
    edit_->Buffer().SetModified(false);
    emit FileChanged();
    return true;
}

void HexView::Undo() {
    Load();
}

void HexView::Close() {
    watch_.stop();
    path_.clear();
    editButton_->SetFile({});
}

void HexView::CheckFile() {
    if (path_.empty())
        return;
    auto time = LastWriteTime(path_);
    if (time > seen_)
        Load();
}

void HexView::Replace() {
    QString chosen = QFileDialog::getOpenFileName(this, "Browse For a File",
                                                  QString::fromStdString(path_), "All Files (*.*)");
    if (!chosen.isEmpty())
        ReplaceWith(chosen.toStdString());
}

bool HexView::ReplaceWith(const std::string& chosen) {
    auto target = ReplacePaneFile(app_, path_, chosen, project_, fileNode_);
    if (!target)
        return false;
    Open(*target, project_, fileNode_, viewAction_->text() == "View Image");
    emit FileChanged();
    return true;
}

} // namespace vellum::gui
