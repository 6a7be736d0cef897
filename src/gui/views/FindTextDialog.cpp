#include "views/FindTextDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellum::gui {

FindTextDialog::FindTextDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("FindTextDialog");
    setWindowTitle("Find Text");
    what_ = new QLineEdit;
    with_ = new QLineEdit;
    wholeWord_ = new QCheckBox("Match &whole word only");
    matchCase_ = new QCheckBox("Match is &case sensitive");
    auto* whatLabel = new QLabel("Fi&nd what:");
    whatLabel->setBuddy(what_);
    auto* withLabel = new QLabel("Re&place with:");
    withLabel->setBuddy(with_);

    auto* fields = new QGridLayout;
    fields->addWidget(whatLabel, 0, 0);
    fields->addWidget(what_, 0, 1);
    fields->addWidget(withLabel, 1, 0);
    fields->addWidget(with_, 1, 1);
    fields->addWidget(wholeWord_, 2, 0, 1, 2);
    fields->addWidget(matchCase_, 3, 0, 1, 2);

    findNext_ = new QPushButton("&Find Next");
    findNext_->setDefault(true);
    replace_ = new QPushButton("&Replace");
    replaceAll_ = new QPushButton("Replace &All");
    auto* cancel = new QPushButton("Cancel");
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {findNext_, replace_, replaceAll_, cancel})
        buttons->addWidget(button);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    connect(findNext_, &QPushButton::clicked, this, &FindTextDialog::FindNext);
    connect(replace_, &QPushButton::clicked, this, &FindTextDialog::Replace);
    connect(replaceAll_, &QPushButton::clicked, this, &FindTextDialog::ReplaceAll);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace vellum::gui
