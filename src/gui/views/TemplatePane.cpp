// The toolbar, message line and resource identity of the template panes.
#include "views/TemplatePane.h"

#include "common/FileIo.h"
#include "common/Path.h"

#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

constexpr int kBandHeight = TemplatePane::kContentTop - TemplatePane::kToolbarHeight;

} // namespace

std::u16string EntryResourceName(XmlNode* resourceEntry) {
    std::string name = Project::Text(resourceEntry, "Name");
    if (Project::Int(resourceEntry, "StripExt"))
        name = SplitPath(name).fname;
    return QString::fromStdString(name).toStdU16String();
}

NameOrOrdinal ResourceNameOf(XmlNode* fileNode) {
    XmlNode* resource = Project::ResourceOfLanguage(fileNode ? fileNode->parent : nullptr);
    std::u16string name = EntryResourceName(resource);
    if (!name.empty())
        return NameOrOrdinal::Name(name);
    return NameOrOrdinal::Ordinal(std::uint16_t(Project::Int(resource, "ID")));
}

std::uint16_t ResourceLanguageOf(XmlNode* fileNode) {
    return std::uint16_t(Project::Int(fileNode ? fileNode->parent : nullptr, "ID"));
}

TemplatePane::TemplatePane(const QString& objectName, QWidget* parent) : QWidget(parent) {
    setObjectName(objectName);
    toolbar_ = new QToolBar;
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolbar_->setFixedHeight(kToolbarHeight);
    toolbar_->addAction("View Hex", this,
                        [this] { emit HexRequested(QString::fromStdString(path_)); });
    toolbar_->addAction("View as Script", this, &TemplatePane::RequestScript);
    // The band under the toolbar in the button-shadow colour.
    auto* band = new QWidget;
    band->setFixedHeight(kBandHeight);
    band->setAutoFillBackground(true);
    band->setBackgroundRole(QPalette::Mid);
    message_ = new QLabel;
    message_->setObjectName("TemplateMessage");
    message_->setContentsMargins(8, 8, 8, 8);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->hide();
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addWidget(toolbar_);
    layout_->addWidget(band);
    layout_->addWidget(message_);
}

void TemplatePane::SetContent(QWidget* content) {
    content_ = content;
    layout_->addWidget(content_, 1);
}

bool TemplatePane::Load(const std::string& path, Project* project, XmlNode* fileNode,
                        std::vector<std::uint8_t>& bytes) {
    path_ = path;
    project_ = project;
    fileNode_ = fileNode;
    message_->hide();
    if (content_)
        content_->show();
    if (FAILED(ReadWholeFile(path, bytes))) {
        ShowMessage(QString("The file %1 cannot be read.").arg(QString::fromStdString(path)));
        return false;
    }
    return true;
}

void TemplatePane::ShowMessage(const QString& text) {
    message_->setText(text);
    message_->show();
    if (content_)
        content_->hide();
}

void TemplatePane::ShowDamaged(const QString& what, std::size_t size) {
    ShowMessage(QString("This %1 cannot be read: its %2 bytes end before the last of its fields, "
                        "strings or entries is complete. View Hex shows them.")
                    .arg(what)
                    .arg(size));
}

QString TemplatePane::ScriptText() const {
    ResourceScript script;
    if (!AddToScript(script, ResourceNameOf(fileNode_), ResourceLanguageOf(fileNode_)))
        return {};
    return QString::fromStdString(script.Text());
}

void TemplatePane::RequestScript() {
    QString text = ScriptText();
    if (!text.isEmpty())
        emit ScriptRequested(text);
}

} // namespace vellum::gui
