// The Insert New Resource dialog's fields, browsing and OK.
#include "dialogs/InsertResourceDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

// The known types in the combo's order; the first three pick the browse filter of their kind.
const QStringList kTypeLabels = {"Cursor",   "Bitmap",       "Icon",      "Menu",
                                 "Dialog",   "String",       "Font",      "Accelerator",
                                 "Messages", "Cursor Group", "Icon Group"};

const QStringList kBrowseFilters = {"Cursors (*.cur)", "Bitmaps (*.bmp *.png)",
                                    "Icons (*.ico *.bmp *.png)", "All Files (*)"};

struct LanguageChoice {
    int id;
    const char* name;
};

// The languages resources are most often found in; any other ID can be typed.
constexpr LanguageChoice kLanguages[] = {
    {1033, "English (United States)"}, {2057, "English (United Kingdom)"},
    {1031, "German (Germany)"},        {1036, "French (France)"},
    {1040, "Italian (Italy)"},         {3082, "Spanish (Spain)"},
    {1046, "Portuguese (Brazil)"},     {1043, "Dutch (Netherlands)"},
    {1053, "Swedish (Sweden)"},        {1045, "Polish (Poland)"},
    {1049, "Russian (Russia)"},        {1041, "Japanese (Japan)"},
    {1042, "Korean (Korea)"},          {2052, "Chinese (Simplified)"},
    {1028, "Chinese (Traditional)"},   {0, "Language neutral"},
};

} // namespace

InsertResourceDialog::InsertResourceDialog(AppServices& app, Project& project,
                                           InsertContext context, QWidget* parent)
    : QDialog(parent), app_(app), project_(project), context_(std::move(context)),
      file_(new QLineEdit), name_(new QLineEdit), type_(new QComboBox),
      language_(NewLanguageBox()) {
    setWindowTitle("Insert New Resource");
    type_->setEditable(true);
    type_->addItems(kTypeLabels);
    type_->setCurrentIndex(-1);
    type_->setInsertPolicy(QComboBox::NoInsert);
    type_->lineEdit()->setPlaceholderText("Choose a type or type a name");

    auto* browse = new QPushButton("...");
    browse->setToolTip("Choose the file to add");
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance("...") + 24);
    connect(browse, &QPushButton::clicked, this, &InsertResourceDialog::Browse);
    auto* fileField = new QWidget;
    auto* fileRow = new QHBoxLayout(fileField);
    fileRow->setContentsMargins(0, 0, 0, 0);
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse);

    auto* form = new QFormLayout;
    form->addRow("&File:", fileField);
    if (auto* label = qobject_cast<QLabel*>(form->labelForField(fileField)))
        label->setBuddy(file_);
    form->addRow("&Name:", name_);
    form->addRow("&Type:", type_);
    form->addRow("&Language:", language_);
    auto* hint = new QLabel("A type not in the list is added as a named type. An empty language "
                            "means 1033, English (United States).");
    hint->setWordWrap(true);
    hint->setEnabled(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &InsertResourceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &InsertResourceDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());
}

// The field holds the decimal ID alone; the list shows each ID with its language's name.
QComboBox* InsertResourceDialog::NewLanguageBox() {
    auto* box = new QComboBox;
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const LanguageChoice& choice : kLanguages)
        box->addItem(QString("%1  %2").arg(choice.id).arg(choice.name), choice.id);
    box->lineEdit()->setMaxLength(6);
    box->lineEdit()->setValidator(new QIntValidator(0, 65535, box));
    box->setEditText("1033");
    connect(box, &QComboBox::activated, box,
            [box](int index) { box->setEditText(box->itemData(index).toString()); });
    return box;
}

void InsertResourceDialog::ChooseFile(const QString& path) {
    file_->setText(path);
    name_->setText(QFileInfo(path).completeBaseName());
}

QString InsertResourceDialog::PreferredFilter() const {
    int position = kTypeLabels.indexOf(type_->currentText());
    return position >= 0 && position < 3 ? kBrowseFilters[position] : kBrowseFilters.back();
}

void InsertResourceDialog::Browse() {
    QString filter = PreferredFilter();
    QString path = QFileDialog::getOpenFileName(this, "Resource To Add", file_->text(),
                                                kBrowseFilters.join(";;"), &filter);
    if (!path.isEmpty())
        ChooseFile(path);
}

void InsertResourceDialog::accept() {
    InsertFields fields;
    fields.file = file_->text().trimmed().toStdString();
    fields.name = name_->text().trimmed().toStdString();
    fields.typeLabel = type_->currentText().trimmed().toStdString();
    fields.languageText = language_->currentText().trimmed().toStdString();
    if (InsertNewResource(project_, fields, context_, app_.prompter))
        QDialog::accept();
}

} // namespace vellum::gui
