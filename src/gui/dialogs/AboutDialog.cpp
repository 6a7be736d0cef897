// The About box's contents and its data-folder button.
#include "dialogs/AboutDialog.h"

#include "application/AppIdentity.h"
#include "cli/EngineLibraries.h"
#include "cli/Version.h"
#include "common/Strings.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

constexpr int kIconSize = 64;

QLabel* Heading(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

AboutDialog::AboutDialog(AppServices& app, QWidget* parent)
    : QDialog(parent), app_(app), icon_(new QLabel),
      version_(new QLabel(QString::fromStdString(VersionString()))) {
    setWindowTitle("About Vellum");
    icon_->setPixmap(ApplicationIcon().pixmap(kIconSize, kIconSize));
    icon_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    QFont big = version_->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    version_->setFont(big);
    version_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* maker = new QLabel(QString("Quillon &mdash; <a href=\"%1\">%1</a>").arg(kWebSiteUrl));
    maker->setOpenExternalLinks(true);

    auto* text = new QVBoxLayout;
    text->addWidget(version_);
    text->addWidget(maker);
    text->addSpacing(12);
    text->addWidget(Heading("Libraries"));
    text->addWidget(MakeLibraryList());
    text->addSpacing(12);
    text->addWidget(Heading("Data folder"));
    text->addWidget(MakeDataFolderRow());

    auto* top = new QHBoxLayout;
    top->addWidget(icon_, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &AboutDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    setMinimumWidth(520);
}

// Qt's version comes from the loaded QtCore; the engine's libraries report their own.
QWidget* AboutDialog::MakeLibraryList() {
    libraries_ = {{"Qt", qVersion()}};
    for (const LibraryVersion& library : EngineLibraries())
        libraries_.append(
            {QString::fromStdString(library.name), QString::fromStdString(library.version)});
    auto* list = new QWidget;
    auto* grid = new QGridLayout(list);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(16);
    for (int row = 0; row < libraries_.size(); ++row) {
        auto* version = new QLabel(libraries_[row].second);
        version->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(new QLabel(libraries_[row].first), row, 0);
        grid->addWidget(version, row, 1);
    }
    grid->setColumnStretch(1, 1);
    return list;
}

QWidget* AboutDialog::MakeDataFolderRow() {
    dataFolder_ = new QLineEdit(QDir::toNativeSeparators(QString::fromStdString(app_.dataFolder)));
    dataFolder_->setReadOnly(true);
    dataFolder_->setCursorPosition(0);
    openFolder_ = new QPushButton("Open &Folder");
    connect(openFolder_, &QPushButton::clicked, this, &AboutDialog::OpenDataFolder);
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(dataFolder_, 1);
    layout->addWidget(openFolder_);
    return row;
}

void AboutDialog::OpenDataFolder() {
    QUrl folder = QUrl::fromLocalFile(QString::fromStdString(app_.dataFolder));
    if (!QDesktopServices::openUrl(folder))
        app_.prompter.Ask(
            Format("No program could open the folder \"%s\".", app_.dataFolder.c_str()), "Vellum",
            MB_OK | MB_ICONEXCLAMATION);
}

} // namespace vellum::gui
