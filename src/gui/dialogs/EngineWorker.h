// Runs long engine work on a worker thread, so that the window keeps painting, and tells the
// thread that started it when the work is done. The error trail belongs to the thread that
// reports: the worker's trail is handed to the starting thread before Finished is emitted.
#pragma once

#include "common/Result.h"

#include <QObject>
#include <functional>
#include <optional>
#include <string>

class QThread;

namespace vellum::gui {

class EngineWorker : public QObject {
    Q_OBJECT
public:
    using Work = std::function<HRESULT()>;

    explicit EngineWorker(QObject* parent = nullptr);
    // Waits for work still running; callers ask it to stop first.
    ~EngineWorker() override;

    // Starts `work`; Finished follows on this object's thread. `work` must not touch widgets.
    void Start(Work work);
    // Starts `work` and runs an event loop of its own until it is done; returns its result.
    HRESULT Run(Work work);
    bool IsRunning() const { return thread_ != nullptr; }

signals:
    void Finished(HRESULT result);

private:
    void End();

    QThread* thread_ = nullptr;
    HRESULT result_ = S_OK;
    std::optional<std::string> trail_;
};

} // namespace vellum::gui
