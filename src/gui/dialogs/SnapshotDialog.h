// The Icon Snapshot dialog: which catalogue categories to record, how to reduce the icons, the
// snapshot's name, how to save and package it, and the progress while it is taken.
//
// The snapshot runs on a worker thread; progress and status come back queued, so the window keeps
// painting. While it runs the dialog refuses to close except through Cancel, which asks the job to
// stop between icons; the job then removes what it had written.
#pragma once

#include "application/AppServices.h"
#include "dialogs/EngineWorker.h"
#include "dialogs/UiThreadPrompter.h"
#include "iconset/SnapshotJob.h"

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vellum::gui {

class SnapshotDialog : public QDialog {
    Q_OBJECT
public:
    // `openLibrary` opens a finished icon library as the window's document.
    SnapshotDialog(AppServices& app, std::function<void(const QString&)> openLibrary,
                   QWidget* parent = nullptr);
    ~SnapshotDialog() override;

    // Makes the target and work folders; false (after showing why) when the dialog must not
    // open.
    bool Prepare();

    // The category check boxes in collecting order: Explorer, Folders, Drives, Misc, Extension.
    const std::vector<QCheckBox*>& CategoryBoxes() const { return categories_; }
    QCheckBox* KeepColorsBox() const { return keepColors_; }
    QComboBox* SizeLimitBox() const { return sizeLimit_; }
    QLineEdit* NameEdit() const { return name_; }
    QComboBox* SaveAsBox() const { return saveAs_; }
    QComboBox* PackagingBox() const { return packaging_; }
    QProgressBar* ProgressBar() const { return progress_; }
    QLabel* StatusLabel() const { return status_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    SnapshotChoices Choices() const;
    const SnapshotFolders& Folders() const { return folders_; }
    bool IsRunning() const { return worker_.IsRunning(); }
    // Asks a running snapshot to stop at its next item; safe from any thread.
    void RequestCancel() { cancelRequested_ = true; }
    // Called on the worker thread with every progress report, before the dialog sees it.
    void SetWorkerHook(std::function<void(int percent, std::string_view status)> hook) {
        hook_ = std::move(hook);
    }

    // OK: checks the choices and starts the snapshot.
    void accept() override;
    // Esc and the Cancel button when idle; refused while the snapshot runs.
    void reject() override;

signals:
    // The bar and status text as they were just shown.
    void ProgressShown(int percent, const QString& status);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Progress;

    QWidget* MakeCategoryGroup();
    void SetRunning(bool running);
    void Report(std::optional<int> percent, std::optional<QString> status);
    void CancelClicked();
    void Finish(HRESULT result);
    void OfferToOpen();

    AppServices& app_;
    std::function<void(const QString&)> openLibrary_;
    UiThreadPrompter workerPrompter_;
    std::unique_ptr<WindowsSystem> system_;
    SnapshotFolders folders_;
    std::unique_ptr<SnapshotJob> job_;
    std::unique_ptr<Progress> sink_;
    std::atomic<bool> cancelRequested_{false};
    std::function<void(int, std::string_view)> hook_;
    // Last, so that it is destroyed first: it waits for a running worker, which uses the above.
    EngineWorker worker_;

    std::vector<QCheckBox*> categories_;
    QCheckBox* keepColors_ = nullptr;
    QComboBox* sizeLimit_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* saveAs_ = nullptr;
    QComboBox* packaging_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace vellum::gui
