#include "document/IconsetCommands.h"

#include "common/ErrorTrail.h"
#include "dialogs/ApplyResultDialog.h"
#include "dialogs/RestoreIconsDialog.h"
#include "dialogs/WorkProgressDialog.h"
#include "iconset/ApplyRestore.h"
#include "iconset/IconsetApplyJob.h"
#include "operations/FailureLog.h"
#include "platform/WindowsSystem.h"

#include <QDir>
#include <QFileDialog>

namespace vellum::gui {

IconsetCommands::IconsetCommands(AppServices& app, QWidget* window)
    : QObject(window), app_(app), window_(window) {}

// The system's own icon folder, where snapshots are saved; the home folder when it has none.
QString IconsetCommands::InitialFolder() {
    std::unique_ptr<WindowsSystem> system = OpenRunningSystem();
    std::string folder = system->ToHostPath(system->WindowsFolder() + "\\Resources\\Icons");
    QString path = QString::fromStdString(folder);
    return !folder.empty() && QDir(path).exists() ? path : QDir::homePath();
}

void IconsetCommands::ApplyIconset() {
    if (!SystemReady())
        return;
    QString path = QFileDialog::getOpenFileName(
        window_, "Choose Iconset to Apply", InitialFolder(),
        "Lumina Iconset/Iconzip (*.iconset *.iconzip *.zip);;All Files (*)");
    if (!path.isEmpty())
        ApplyFile(path);
}

bool IconsetCommands::SystemReady() {
    std::string problem = RunningSystemProblem();
    if (problem.empty())
        problem = RunningSystemBusyReason();
    if (problem.empty())
        return true;
    app_.prompter.Ask(problem, "Vellum", MB_OK | MB_ICONHAND);
    return false;
}

void IconsetCommands::ApplyFile(const QString& path) {
    if (!SystemReady())
        return;
    std::string source = path.toStdString();
    std::unique_ptr<WindowsSystem> system = OpenRunningSystem();
    IconsetApplyJob job(*system, app_.dataFolder);
    ApplyResult result;
    WorkProgressDialog progress("Apply Iconset", window_);
    HRESULT hr = progress.Run([&](ProgressSink& sink) { return job.Run(source, sink, &result); });
    if (job.LoadFailed()) {
        ClearErrorTrail();
        app_.prompter.Ask(job.LoadFailedText(), "Load Failed", MB_OK | MB_ICONHAND);
    } else if (FAILED(hr)) {
        LogFailure(app_.dataFolder, "Apply " + source);
        app_.ShowErrorTrail();
    } else {
        ShowResult("Apply Iconset",
                   QString("Applied %1 (%2 icons).")
                       .arg(QDir::toNativeSeparators(path))
                       .arg(job.AppliedIcons()),
                   result);
    }
}

void IconsetCommands::OfferToApply(const QString& path) {
    std::string question = "Apply the iconset\n\n" + QDir::toNativeSeparators(path).toStdString() +
                           "\n\nto the icons the system shows? What it changes is saved first, "
                           "so that Tools > Restore Icons can put it back.";
    if (app_.prompter.Ask(question, "Apply Iconset", MB_YESNO | MB_ICONQUESTION) == IDYES)
        ApplyFile(path);
}

void IconsetCommands::RestoreIcons() {
    if (!SystemReady())
        return;
    std::string working = ApplyWorkingFolder(app_.dataFolder);
    RestoreIconsDialog dialog(ListApplyBackups(working), QString::fromStdString(working), window_);
    if (dialog.exec() != QDialog::Accepted || !dialog.Chosen())
        return;
    RestoreBackup(dialog.Chosen()->folder);
}

void IconsetCommands::RestoreBackup(const std::string& folder) {
    if (!SystemReady())
        return;
    std::unique_ptr<WindowsSystem> system = OpenRunningSystem();
    std::string working = ApplyWorkingFolder(app_.dataFolder);
    ApplyResult result;
    WorkProgressDialog progress("Restore Icons", window_);
    HRESULT hr = progress.Run([&](ProgressSink& sink) {
        sink.SetStatus("Restoring the icon settings saved in " + folder);
        HRESULT restored = RestoreApplyBackup(*system, folder, working, &result);
        sink.SetPercent(100);
        return restored;
    });
    if (FAILED(hr)) {
        LogFailure(app_.dataFolder, "Restore " + folder);
        app_.ShowErrorTrail();
    } else {
        ShowResult("Restore Icons",
                   QString("Put back the icon settings saved in %1.")
                       .arg(QDir::toNativeSeparators(QString::fromStdString(folder))),
                   result);
    }
}

void IconsetCommands::ShowResult(const QString& title, const QString& summary,
                                 const ApplyResult& result) {
    ApplyResultDialog dialog(title, summary, result, window_);
    dialog.exec();
}

} // namespace vellum::gui
