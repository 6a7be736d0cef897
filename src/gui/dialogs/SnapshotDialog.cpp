// The Icon Snapshot dialog's controls, its checks and the worker thread that takes the snapshot.
#include "dialogs/SnapshotDialog.h"

#include "common/ErrorTrail.h"
#include "common/Strings.h"
#include "operations/FailureLog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace vellum::gui {

namespace {

struct Category {
    const char* label;
    const char* name;
};
const Category kCategories[] = {
    {"&Explorer Icons", "Explorer"},  {"&Folder Icons", "Folders"},      {"&Drive Icons", "Drives"},
    {"&Miscellaneous Icons", "Misc"}, {"E&xtension Icons", "Extension"},
};

struct SizeChoice {
    const char* text;
    int limit;
};
// The padding lines the numbers up in the list.
const SizeChoice kSizes[] = {
    {"256 x 256", 256},  {"128 x 128", 128},  {"  96 x   96", 96},
    {"  64 x   64", 64}, {"  48 x   48", 48}, {"  32 x   32", 32},
};
constexpr int kDefaultSize = 3; // 64 x 64
constexpr int kMaxNameLength = 260;
constexpr int kMinimumBarWidth = 220;

QComboBox* ComboOf(std::initializer_list<const char*> texts, int current) {
    auto* box = new QComboBox;
    for (const char* text : texts)
        box->addItem(text);
    box->setCurrentIndex(current);
    return box;
}

QString AsQString(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

// Progress from the worker: the test hook first, then the dialog, queued onto its thread.
class SnapshotDialog::Progress final : public ProgressSink {
public:
    explicit Progress(SnapshotDialog& dialog) : dialog_(dialog) {}
    void SetPercent(int percent) override {
        if (dialog_.hook_)
            dialog_.hook_(percent, {});
        QMetaObject::invokeMethod(
            &dialog_, [dialog = &dialog_, percent] { dialog->Report(percent, std::nullopt); },
            Qt::QueuedConnection);
    }
    void SetStatus(std::string_view text) override {
        if (dialog_.hook_)
            dialog_.hook_(-1, text);
        QString status = AsQString(text);
        QMetaObject::invokeMethod(
            &dialog_, [dialog = &dialog_, status] { dialog->Report(std::nullopt, status); },
            Qt::QueuedConnection);
    }
    bool CancelRequested() const override { return dialog_.cancelRequested_; }

private:
    SnapshotDialog& dialog_;
};

SnapshotDialog::SnapshotDialog(AppServices& app, std::function<void(const QString&)> openLibrary,
                               QWidget* parent)
    : QDialog(parent), app_(app), openLibrary_(std::move(openLibrary)),
      workerPrompter_(app.prompter) {
    keepColors_ = new QCheckBox("&Keep only icons with the most colors");
    sizeLimit_ = new QComboBox;
    name_ = new QLineEdit;
    saveAs_ = ComboOf({"32 Bit Icon Library (*.icl)", "Individual Icons (*.ico)"}, 0);
    packaging_ = ComboOf(
        {"Lumina Iconset (No Compression) ", "Lumina Iconzip (Compressed)  ", "No Packaging"}, 1);
    progress_ = new QProgressBar;
    status_ = new QLabel;
    setObjectName("SnapshotDialog");
    setWindowTitle("Icon Snapshot");
    keepColors_->setChecked(true);
    for (const SizeChoice& size : kSizes)
        sizeLimit_->addItem(size.text, size.limit);
    sizeLimit_->setCurrentIndex(kDefaultSize);
    name_->setMaxLength(kMaxNameLength);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    // The longest status keeps its room, so the bar does not jump as the texts change.
    status_->setFixedWidth(
        status_->fontMetrics().horizontalAdvance("Collecting Miscellaneous Icons (000 of 000)"));
    progress_->setMinimumWidth(kMinimumBarWidth);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft);
    form->addRow("&Remove icons larger than", sizeLimit_);
    form->addRow("Enter a &name for the snapshot", name_);
    form->addRow("&Save Icons as:", saveAs_);
    form->addRow("&Packaging:", packaging_);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(status_);
    form->addRow("Save Progress:", progressRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    connect(ok_, &QPushButton::clicked, this, &SnapshotDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &SnapshotDialog::CancelClicked);
    connect(&worker_, &EngineWorker::Finished, this, &SnapshotDialog::Finish);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCategoryGroup());
    layout->addWidget(keepColors_);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

// A running snapshot stops at its next item; the worker waits for it.
SnapshotDialog::~SnapshotDialog() {
    RequestCancel();
}

QWidget* SnapshotDialog::MakeCategoryGroup() {
    auto* group = new QGroupBox("Include the Following Icons");
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (const Category& category : kCategories) {
        auto* box = new QCheckBox(category.label);
        box->setChecked(true);
        box->setProperty("category", category.name);
        // Two columns: the folder-like kinds on the left, the rest on the right.
        grid->addWidget(box, row % 3, row / 3);
        categories_.push_back(box);
        ++row;
    }
    return group;
}

bool SnapshotDialog::Prepare() {
    // Without a prefix there is no system to take a snapshot of; making its folders would only
    // start an empty one.
    if (std::string problem = RunningSystemProblem(); !problem.empty()) {
        app_.prompter.Ask(problem, "Icon Snapshot", MB_OK | MB_ICONHAND);
        return false;
    }
    system_ = OpenRunningSystem();
    if (std::optional<SnapshotMessage> failure =
            PrepareSnapshotFolders(*system_, app_.dataFolder, &folders_)) {
        app_.prompter.Ask(failure->text, failure->caption, MB_OK | MB_ICONHAND);
        return false;
    }
    return true;
}

SnapshotChoices SnapshotDialog::Choices() const {
    SnapshotChoices choices;
    choices.categories.clear();
    for (QCheckBox* box : categories_)
        if (box->isChecked())
            choices.categories.push_back(box->property("category").toString().toStdString());
    choices.keepMostColors = keepColors_->isChecked();
    choices.sizeLimit = sizeLimit_->currentData().toInt();
    choices.name = name_->text().toStdString();
    choices.individualIcons = saveAs_->currentIndex() == 1;
    static const SnapshotPackaging kPackagings[] = {
        SnapshotPackaging::Iconset, SnapshotPackaging::Iconzip, SnapshotPackaging::None};
    choices.packaging = kPackagings[std::max(0, packaging_->currentIndex())];
    return choices;
}

void SnapshotDialog::accept() {
    if (IsRunning() || !system_)
        return;
    SnapshotChoices choices = Choices();
    SnapshotNames names = ChooseSnapshotNames(choices, folders_.target);
    if (std::optional<SnapshotMessage> refusal = CheckSnapshotChoices(choices, names)) {
        app_.prompter.Ask(refusal->text, refusal->caption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    job_ = std::make_unique<SnapshotJob>(*system_, app_.dataFolder, folders_, std::move(choices));
    sink_ = std::make_unique<Progress>(*this);
    cancelRequested_ = false;
    SetRunning(true);
    worker_.Start([this] { return job_->Run(workerPrompter_, *sink_); });
}

void SnapshotDialog::reject() {
    if (!IsRunning())
        QDialog::reject();
}

void SnapshotDialog::closeEvent(QCloseEvent* event) {
    if (IsRunning())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void SnapshotDialog::CancelClicked() {
    if (IsRunning())
        RequestCancel();
    else
        reject();
}

void SnapshotDialog::SetRunning(bool running) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{keepColors_, sizeLimit_, name_, saveAs_, packaging_, ok_})
        control->setEnabled(!running);
    for (QCheckBox* box : categories_)
        box->parentWidget()->setEnabled(!running);
    if (running) {
        Report(0, QString());
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void SnapshotDialog::Report(std::optional<int> percent, std::optional<QString> status) {
    if (percent)
        progress_->setValue(*percent);
    if (status)
        status_->setText(*status);
    emit ProgressShown(progress_->value(), status_->text());
}

void SnapshotDialog::Finish(HRESULT result) {
    SetRunning(false);
    if (result == E_ABORT) {
        // Stopped by the user: the job removed its files; the choices stay for another try.
        ClearErrorTrail();
        Report(0, QString());
        return;
    }
    if (FAILED(result)) {
        LogFailure(app_.dataFolder, "Icon Snapshot " + job_->Names().resultPath);
        app_.ShowErrorTrail();
        return;
    }
    // What is left only says which icons could not be read; they are simply not in the set.
    ClearErrorTrail();
    Report(100, "Finished");
    OfferToOpen();
}

void SnapshotDialog::OfferToOpen() {
    const SnapshotNames& names = job_->Names();
    std::string text = Format("An Icon Snapshot has been saved to the following location:\n\n%s."
                              "\n\nWould you like to open the compiled resources.\n",
                              names.resultPath.c_str());
    int answer = app_.prompter.Ask(text, "Open Snapshot?", MB_YESNO | MB_ICONQUESTION);
    QDialog::accept();
    if (answer != IDYES)
        return;
    SnapshotOpening opening;
    if (FAILED(PrepareSnapshotOpening(*job_, app_.dataFolder, &opening))) {
        app_.ShowErrorTrail();
        return;
    }
    if (!opening.library.empty() && openLibrary_)
        openLibrary_(QString::fromStdString(opening.library));
    else if (!opening.folder.empty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(opening.folder)));
}

} // namespace vellum::gui
