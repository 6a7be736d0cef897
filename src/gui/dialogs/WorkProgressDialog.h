// A modal dialog with a progress bar and a status line that runs long engine work on a worker
// thread: the window keeps painting while it runs, and the dialog cannot be closed half-way.
#pragma once

#include "common/Result.h"
#include "iconset/ProgressSink.h"

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;

namespace vellum::gui {

class WorkProgressDialog : public QDialog {
    Q_OBJECT
public:
    using Work = std::function<HRESULT(ProgressSink&)>;

    WorkProgressDialog(const QString& title, QWidget* parent);

    // Shows the dialog, runs `work` on a worker thread and returns its result once it is done.
    // The worker's error trail is handed to the calling thread. `work` must not touch widgets.
    HRESULT Run(const Work& work);
    bool IsRunning() const { return running_; }
    int Percent() const;
    QString Status() const;

signals:
    // Each step the work reports, once the dialog shows it.
    void Progressed(int percent, const QString& status);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void ShowPercent(int percent);
    void ShowStatus(const QString& status);

    QProgressBar* bar_;
    QLabel* status_;
    bool running_ = false;
};

} // namespace vellum::gui
