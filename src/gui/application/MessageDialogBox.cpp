// The message dialog and the Qt prompter.
#include "application/MessageDialogBox.h"

#include "common/ErrorBox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

QStyle::StandardPixmap PixmapOf(DialogIcon icon) {
    switch (icon) {
    case DialogIcon::Hand:
        return QStyle::SP_MessageBoxCritical;
    case DialogIcon::Question:
        return QStyle::SP_MessageBoxQuestion;
    case DialogIcon::Exclamation:
        return QStyle::SP_MessageBoxWarning;
    default:
        return QStyle::SP_MessageBoxInformation;
    }
}

QLabel* IconLabel(DialogIcon icon) {
    auto* label = new QLabel;
    if (icon != DialogIcon::None)
        label->setPixmap(QApplication::style()->standardIcon(PixmapOf(icon)).pixmap(32, 32));
    label->setAlignment(Qt::AlignVCenter);
    return label;
}

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

MessageDialogBox::MessageDialogBox(const MessageDialog& model, QWidget* parent)
    : QDialog(parent), model_(model), result_(model.DefaultResult()) {
    setWindowTitle(FromUtf8(model.title));
    auto* top = new QHBoxLayout;
    top->addWidget(IconLabel(model.icon));
    auto* message = new QLabel(FromUtf8(model.message).trimmed());
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(message, 1);
    auto* row = new QHBoxLayout;
    row->addStretch();
    AddAnswerButtons(row);
    AddReportButtons(row);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(row);
    if (!model.details.empty()) {
        details_ = new QPlainTextEdit(FromUtf8(model.details));
        details_->setReadOnly(true);
        details_->hide();
        layout->addWidget(details_);
    }
}

void MessageDialogBox::AddAnswerButtons(QHBoxLayout* row) {
    for (std::size_t i = 0; i < model_.buttons.size(); ++i) {
        const DialogButton& button = model_.buttons[i];
        auto* push = new QPushButton(FromUtf8(button.caption));
        push->setDefault(i == model_.defaultButton);
        push->setAutoDefault(i == model_.defaultButton);
        int result = button.result;
        connect(push, &QPushButton::clicked, this, [this, result] {
            result_ = result;
            accept();
        });
        row->addWidget(push);
    }
}

void MessageDialogBox::AddReportButtons(QHBoxLayout* row) {
    if (model_.details.empty())
        return;
    ErrorBox captions;
    auto* details = new QPushButton(FromUtf8(captions.DetailsCaption()));
    connect(details, &QPushButton::clicked, this, &MessageDialogBox::ToggleDetails);
    auto* send = new QPushButton(FromUtf8(captions.SendReportCaption()));
    connect(send, &QPushButton::clicked, this, &MessageDialogBox::SendReport);
    row->addWidget(details);
    row->addWidget(send);
}

void MessageDialogBox::ToggleDetails() {
    details_->setVisible(!details_->isVisible());
    adjustSize();
}

void MessageDialogBox::SendReport() {
    QDesktopServices::openUrl(QUrl(FromUtf8(MakeReportMailLink(model_.details))));
}

int MessageDialogBox::Run() {
    exec();
    return result_;
}

int QtPrompter::Show(const MessageDialog& dialog) {
    MessageDialogBox box(dialog, QApplication::activeWindow());
    return box.Run();
}

} // namespace vellum::gui
