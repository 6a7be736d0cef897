// Reading a version block into the form and grids, and writing the edits back into the block.
#include "views/VersionView.h"

#include "common/CodePage.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "formats/VersionNames.h"
#include "script/ResourceScript.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

constexpr char16_t kStringFileInfo[] = u"StringFileInfo";
constexpr char16_t kVarFileInfo[] = u"VarFileInfo";
constexpr char16_t kTranslation[] = u"Translation";

QString Hex(std::uint32_t value) {
    return QString::fromStdString(Format("0x%08X", unsigned(value)));
}

// The names of the table (the first name of each value), and the value itself in hex when the table
// has no name for it, so that every value is written back as it was read.
void FillCombo(QComboBox* combo, std::span<const VersionName> names, std::uint32_t value) {
    combo->clear();
    for (const VersionName& name : names)
        if (combo->findData(QVariant::fromValue(name.value)) < 0) // older spellings come last
            combo->addItem(QString::fromUtf8(name.name.data(), qsizetype(name.name.size())),
                           QVariant::fromValue(name.value));
    int at = combo->findData(QVariant::fromValue(value));
    if (at < 0) {
        combo->addItem(Hex(value), QVariant::fromValue(value));
        at = combo->count() - 1;
    }
    combo->setCurrentIndex(at);
}

std::uint32_t ComboValue(const QComboBox* combo) {
    return combo->currentData().value<std::uint32_t>();
}

std::optional<std::uint32_t> HexValue(const QLineEdit* edit) {
    QString text = edit->text().trimmed();
    if (text.startsWith("0x", Qt::CaseInsensitive))
        text = text.mid(2);
    bool ok = false;
    std::uint32_t value = text.toUInt(&ok, 16);
    return ok ? std::optional(value) : std::nullopt;
}

QTableWidget* Grid(const QStringList& headers) {
    auto* grid = new QTableWidget(0, int(headers.size()));
    grid->setHorizontalHeaderLabels(headers);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->setDefaultSectionSize(22);
    grid->verticalHeader()->hide();
    return grid;
}

QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

// The String nodes of the grid. A row whose name and value are those of the node at its place
// keeps that node as it was (its padding and its wValueLength habits); a row without a name is
// left out.
std::vector<VersionNode> GridStrings(const QTableWidget* grid,
                                     const std::vector<VersionNode>& old) {
    std::vector<VersionNode> nodes;
    for (int row = 0; row < grid->rowCount(); ++row) {
        std::u16string name = Cell(grid, row, 0).toStdU16String();
        std::u16string value = Cell(grid, row, 1).toStdU16String();
        if (name.empty())
            continue;
        std::size_t at = nodes.size();
        if (at < old.size() && old[at].key == name && old[at].Text() == value) {
            nodes.push_back(old[at]);
            continue;
        }
        VersionNode node;
        node.key = name;
        node.SetText(value);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

// "language,code page" per row; nothing when a row is not two numbers below 65536.
std::optional<std::vector<Translation>> GridTranslations(const QTableWidget* grid) {
    std::vector<Translation> pairs;
    for (int row = 0; row < grid->rowCount(); ++row) {
        QString text = Cell(grid, row, 0).trimmed();
        if (text.isEmpty())
            continue;
        QStringList parts = text.split(',');
        bool okLanguage = false, okCodePage = false;
        unsigned language = parts.value(0).trimmed().toUInt(&okLanguage);
        unsigned codePage = parts.value(1).trimmed().toUInt(&okCodePage);
        if (parts.size() != 2 || !okLanguage || !okCodePage || language > 0xFFFF ||
            codePage > 0xFFFF)
            return std::nullopt;
        pairs.push_back({std::uint16_t(language), std::uint16_t(codePage)});
    }
    return pairs;
}

// The node keyed `key` under `parent`, appended when there is none.
VersionNode& ChildOrNew(VersionNode& parent, std::u16string_view key, std::uint16_t type) {
    if (VersionNode* child = parent.Child(key))
        return *child;
    VersionNode& child = parent.children.emplace_back();
    child.key = std::u16string(key);
    child.type = type;
    return child;
}

// A grid with an empty last row to type a new entry into.
void KeepEmptyLastRow(QTableWidget* grid) {
    int last = grid->rowCount() - 1;
    bool lastEmpty = last >= 0;
    for (int column = 0; lastEmpty && column < grid->columnCount(); ++column)
        lastEmpty = Cell(grid, last, column).isEmpty();
    if (!lastEmpty)
        grid->insertRow(grid->rowCount());
}

} // namespace

VersionView::VersionView(AppServices& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("VersionView");
    status_ = new QLabel;
    status_->setObjectName("VersionStatus");
    status_->setWordWrap(true);
    status_->setContentsMargins(6, 3, 6, 3);
    status_->setStyleSheet("background: #FFF4CE; color: #3B2F00;");
    status_->hide();
    viewScript_ = new QPushButton("View as Script");
    connect(viewScript_, &QPushButton::clicked, this,
            [this] { emit ScriptRequested(ScriptText(), ScriptFileName()); });
    auto* top = new QHBoxLayout;
    top->setContentsMargins(6, 6, 6, 0);
    top->addWidget(new QLabel("<b>Version Information</b>"));
    top->addStretch();
    top->addWidget(viewScript_);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(6, 6, 6, 6);
    body->addWidget(BuildForm());
    body->addWidget(BuildGrids(), 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(status_);
    layout->addLayout(top);
    layout->addLayout(body, 1);
}

QWidget* VersionView::BuildForm() {
    auto* form = new QWidget;
    auto* layout = new QFormLayout(form);
    auto versionRow = [this, layout](const QString& label, std::array<QSpinBox*, 4>& spins) {
        auto* row = new QHBoxLayout;
        for (QSpinBox*& spin : spins) {
            spin = new QSpinBox;
            spin->setRange(0, 0xFFFF);
            spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
            spin->setMinimumWidth(52);
            row->addWidget(spin);
            connect(spin, &QSpinBox::valueChanged, this, &VersionView::MarkModified);
        }
        layout->addRow(label, row);
    };
    versionRow("File Version:", fileVersion_);
    versionRow("Product Version:", productVersion_);
    for (QLineEdit** edit : {&flagsMask_, &flags_}) {
        *edit = new QLineEdit;
        connect(*edit, &QLineEdit::textEdited, this, &VersionView::MarkModified);
    }
    layout->addRow("FILEFLAGSMASK:", flagsMask_);
    layout->addRow("FILEFLAGS:", flags_);
    for (QComboBox** combo : {&fileOs_, &fileType_, &fileSubtype_}) {
        *combo = new QComboBox;
        connect(*combo, &QComboBox::currentIndexChanged, this, &VersionView::MarkModified);
    }
    // Subtype names depend on the type: driver and font subtypes differ.
    connect(fileType_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_)
            FillSubtypes(ComboValue(fileType_), ComboValue(fileSubtype_));
    });
    layout->addRow("FILEOS:", fileOs_);
    layout->addRow("FILETYPE:", fileType_);
    layout->addRow("FILESUBTYPE:", fileSubtype_);
    return form;
}

QWidget* VersionView::BuildGrids() {
    auto* grids = new QWidget;
    auto* layout = new QVBoxLayout(grids);
    layout->setContentsMargins(0, 0, 0, 0);
    strings_ = Grid({"Name", "Value"});
    strings_->setColumnWidth(0, 150);
    translations_ = Grid({"Translation (language, code page)"});
    translations_->setMaximumHeight(90);
    for (QTableWidget* grid : {strings_, translations_})
        connect(grid, &QTableWidget::itemChanged, this, [this, grid] {
            MarkModified();
            if (!filling_)
                KeepEmptyLastRow(grid);
        });
    layout->addWidget(new QLabel("Strings:"));
    layout->addWidget(strings_, 1);
    layout->addWidget(new QLabel("Translation:"));
    layout->addWidget(translations_);
    return grids;
}

void VersionView::ShowVersion(const std::string& path, Project* project, XmlNode* fileNode) {
    path_ = path;
    // The script names the resource and its language as the manifest has them.
    XmlNode* language = fileNode ? fileNode->parent : nullptr;
    XmlNode* resource = language ? Project::ResourceOfLanguage(language) : nullptr;
    language_ = std::uint16_t(Project::Int(language, "ID"));
    std::string name = project && resource ? project->EntryLabel(resource) : "1";
    name_ = !name.empty() && name.find_first_not_of("0123456789") == std::string::npos
                ? NameOrOrdinal::Ordinal(std::uint16_t(std::stoul(name.substr(0, 5))))
                : NameOrOrdinal::Name(Utf8ToUtf16(name));
    Load();
}

void VersionView::Close() {
    path_.clear();
    info_.reset();
    modified_ = false;
}

void VersionView::Load() {
    std::vector<std::uint8_t> bytes;
    info_.reset();
    if (FAILED(ReadWholeFile(path_, bytes)))
        SetReadOnly(true, "The file cannot be read; nothing is shown.");
    else if (bytes.size() < 2 || (bytes[0] == 0 && bytes[1] == 0))
        SetReadOnly(true, "This resource holds no version block.");
    else if (!(info_ = VersionInfo::Parse(ByteView(bytes.data(), bytes.size()))))
        SetReadOnly(true, "This version block cannot be read (a length or key runs past its "
                          "node). It is shown read-only and will not be written.");
    else if (!info_->Fixed())
        SetReadOnly(true, "This version block has no fixed file information. It is shown "
                          "read-only and will not be written.");
    else
        SetReadOnly(false, "");
    Fill();
}

void VersionView::SetReadOnly(bool readOnly, const std::string& why) {
    readOnly_ = readOnly;
    status_->setText(QString::fromStdString(why));
    status_->setVisible(!why.empty());
    // The grids stay enabled, so that a read-only block can still be scrolled and copied from.
    for (QWidget* widget : findChildren<QWidget*>())
        if (qobject_cast<QSpinBox*>(widget) || qobject_cast<QComboBox*>(widget) ||
            widget == flagsMask_ || widget == flags_)
            widget->setEnabled(!readOnly);
    for (QTableWidget* grid : {strings_, translations_})
        grid->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                       : QAbstractItemView::DoubleClicked |
                                             QAbstractItemView::EditKeyPressed |
                                             QAbstractItemView::AnyKeyPressed);
    viewScript_->setEnabled(info_.has_value());
}

void VersionView::Fill() {
    filling_ = true;
    FixedFileInfo f = info_ ? info_->Fixed().value_or(FixedFileInfo{}) : FixedFileInfo{};
    auto file = FixedFileInfo::Parts(f.fileVersionMs, f.fileVersionLs);
    auto product = FixedFileInfo::Parts(f.productVersionMs, f.productVersionLs);
    for (int i = 0; i < 4; ++i) {
        fileVersion_[i]->setValue(file[i]);
        productVersion_[i]->setValue(product[i]);
    }
    flagsMask_->setText(Hex(f.flagsMask));
    flags_->setText(Hex(f.flags));
    FillCombo(fileOs_, FileOsNames(), f.os);
    FillCombo(fileType_, FileTypeNames(), f.type);
    FillSubtypes(f.type, f.subtype);

    strings_->setRowCount(0);
    // Only the first table of the first StringFileInfo is edited here; the others stay as read.
    const VersionNode* sfi = info_ ? info_->root.Child(kStringFileInfo) : nullptr;
    if (sfi && !sfi->children.empty())
        for (const VersionNode& s : sfi->children.front().children) {
            int row = strings_->rowCount();
            strings_->insertRow(row);
            strings_->setItem(row, 0, new QTableWidgetItem(QString::fromStdU16String(s.key)));
            strings_->setItem(row, 1, new QTableWidgetItem(QString::fromStdU16String(s.Text())));
        }
    translations_->setRowCount(0);
    const VersionNode* vfi = info_ ? info_->root.Child(kVarFileInfo) : nullptr;
    const VersionNode* var = vfi ? vfi->Child(kTranslation) : nullptr;
    for (Translation t : var ? TranslationsOf(*var) : std::vector<Translation>{}) {
        int row = translations_->rowCount();
        translations_->insertRow(row);
        translations_->setItem(
            row, 0, new QTableWidgetItem(QString("%1,%2").arg(t.language).arg(t.codePage)));
    }
    KeepEmptyLastRow(strings_);
    KeepEmptyLastRow(translations_);
    filling_ = false;
    modified_ = false;
    emit CommandsChanged();
}

void VersionView::FillSubtypes(std::uint32_t type, std::uint32_t subtype) {
    bool was = filling_;
    filling_ = true;
    FillCombo(fileSubtype_, FileSubtypeNames(type), subtype);
    filling_ = was;
}

void VersionView::MarkModified() {
    if (filling_ || readOnly_ || modified_)
        return;
    modified_ = true;
    emit CommandsChanged();
}

QLineEdit* VersionView::FocusedField() const {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return nullptr;
    if (auto* edit = qobject_cast<QLineEdit*>(focus))
        return edit;
    return qobject_cast<QSpinBox*>(focus) ? focus->findChild<QLineEdit*>() : nullptr;
}

bool VersionView::CanCopy() const {
    return FocusedField() != nullptr;
}

void VersionView::Copy() {
    if (QLineEdit* field = FocusedField())
        field->copy();
}

void VersionView::Cut() {
    if (QLineEdit* field = FocusedField(); field && !readOnly_)
        field->cut();
}

void VersionView::Paste() {
    if (QLineEdit* field = FocusedField(); field && !readOnly_)
        field->paste();
}

std::optional<VersionInfo> VersionView::Edited() const {
    if (!info_ || readOnly_)
        return std::nullopt;
    VersionInfo edited = *info_;
    FixedFileInfo f = *info_->Fixed();
    auto word = [](const std::array<QSpinBox*, 4>& s, int i) {
        return std::uint32_t(s[i]->value()) << 16 | std::uint32_t(s[i + 1]->value());
    };
    f.fileVersionMs = word(fileVersion_, 0);
    f.fileVersionLs = word(fileVersion_, 2);
    f.productVersionMs = word(productVersion_, 0);
    f.productVersionLs = word(productVersion_, 2);
    std::optional<std::uint32_t> mask = HexValue(flagsMask_), flags = HexValue(flags_);
    std::optional<std::vector<Translation>> pairs = GridTranslations(translations_);
    if (!mask || !flags || !pairs)
        return std::nullopt;
    f.flagsMask = *mask;
    f.flags = *flags;
    f.os = ComboValue(fileOs_);
    f.type = ComboValue(fileType_);
    f.subtype = ComboValue(fileSubtype_);
    if (f != *info_->Fixed())
        edited.SetFixed(f);

    const VersionNode* oldSfi = info_->root.Child(kStringFileInfo);
    std::vector<VersionNode> oldStrings = oldSfi && !oldSfi->children.empty()
                                              ? oldSfi->children.front().children
                                              : std::vector<VersionNode>{};
    std::vector<VersionNode> strings = GridStrings(strings_, oldStrings);
    if (strings != oldStrings) {
        VersionNode& sfi = ChildOrNew(edited.root, kStringFileInfo, kVersionValueText);
        if (sfi.children.empty()) {
            VersionNode& table = sfi.children.emplace_back();
            table.key = StringTableKey(pairs->empty() ? Translation{0x0409, 1200} : pairs->front());
        }
        sfi.children.front().children = std::move(strings);
    }
    const VersionNode* oldVfi = info_->root.Child(kVarFileInfo);
    const VersionNode* oldVar = oldVfi ? oldVfi->Child(kTranslation) : nullptr;
    if (*pairs != (oldVar ? TranslationsOf(*oldVar) : std::vector<Translation>{}))
        ChildOrNew(ChildOrNew(edited.root, kVarFileInfo, kVersionValueText), kTranslation,
                   kVersionValueBinary)
            .SetBinary(TranslationBytes(*pairs));
    return edited;
}

std::string VersionView::ScriptFileName() const {
    std::string name = name_.ordinal ? std::to_string(*name_.ordinal) : Utf16ToUtf8(name_.name);
    return MakeSafeFileName(Format("Version_%s_%u", name.c_str(), unsigned(language_))) + ".rc";
}

std::string VersionView::ScriptText() const {
    std::optional<VersionInfo> shown = Edited();
    if (!shown)
        shown = info_;
    ResourceScript script;
    if (shown)
        script.AddVersionInfo(name_, language_, *shown);
    return script.Text();
}

bool VersionView::SavePendingEdits() {
    if (!modified_ || readOnly_)
        return true;
    std::optional<VersionInfo> edited = Edited();
    std::optional<std::vector<std::uint8_t>> bytes = edited ? edited->Serialize() : std::nullopt;
    if (!bytes) {
        app_.prompter.Ask(edited ? "The version block has grown past the 64 KB a block can hold."
                                 : "The flags must be hexadecimal numbers and each translation "
                                   "a language and a code page (\"1033,1200\").",
                          "Version Information", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    std::vector<std::uint8_t> old;
    if (FAILED(ReadWholeFile(path_, old)) || old != *bytes) {
        HRESULT hr = ReplaceFileContents(path_, bytes->data(), bytes->size());
        if (FAILED(hr)) {
            ReportError(trail::kVellum, __LINE__, hr, "Failed to open file: \r\n\r\n'%s'",
                        path_.c_str());
            app_.ShowErrorTrailIfAny();
            return false;
        }
        emit FileChanged();
    }
    info_ = std::move(edited);
    modified_ = false;
    emit CommandsChanged();
    return true;
}

void VersionView::DiscardPendingEdits() {
    if (modified_)
        Load();
}

} // namespace vellum::gui
