#include "dialogs/WorkProgressDialog.h"

#include "dialogs/EngineWorker.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

// Hands the worker's progress to the user-interface thread: the signals cross threads queued.
class ProgressBridge final : public QObject, public ProgressSink {
    Q_OBJECT
public:
    void SetPercent(int percent) override { emit PercentChanged(percent); }
    void SetStatus(std::string_view text) override {
        emit StatusChanged(QString::fromUtf8(text.data(), qsizetype(text.size())));
    }

signals:
    void PercentChanged(int percent);
    void StatusChanged(const QString& status);
};

} // namespace

WorkProgressDialog::WorkProgressDialog(const QString& title, QWidget* parent) : QDialog(parent) {
    setObjectName("WorkProgressDialog");
    setWindowTitle(title);
    setWindowModality(Qt::ApplicationModal);
    bar_ = new QProgressBar;
    bar_->setRange(0, 100);
    bar_->setValue(0);
    status_ = new QLabel;
    status_->setObjectName("WorkStatus");
    status_->setMinimumWidth(360);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(bar_);
}

HRESULT WorkProgressDialog::Run(const Work& work) {
    ProgressBridge bridge;
    connect(&bridge, &ProgressBridge::PercentChanged, this, &WorkProgressDialog::ShowPercent,
            Qt::QueuedConnection);
    connect(&bridge, &ProgressBridge::StatusChanged, this, &WorkProgressDialog::ShowStatus,
            Qt::QueuedConnection);
    EngineWorker worker;
    running_ = true;
    show();
    HRESULT result = worker.Run([&] { return work(bridge); });
    // The last steps may still be queued.
    QCoreApplication::sendPostedEvents(this);
    running_ = false;
    hide();
    return result;
}

int WorkProgressDialog::Percent() const {
    return bar_->value();
}

QString WorkProgressDialog::Status() const {
    return status_->text();
}

void WorkProgressDialog::ShowPercent(int percent) {
    bar_->setValue(percent);
    emit Progressed(percent, status_->text());
}

void WorkProgressDialog::ShowStatus(const QString& status) {
    status_->setText(status);
    emit Progressed(bar_->value(), status);
}

void WorkProgressDialog::closeEvent(QCloseEvent* event) {
    if (running_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void WorkProgressDialog::reject() {
    if (!running_)
        QDialog::reject();
}

} // namespace vellum::gui

#include "WorkProgressDialog.moc"
