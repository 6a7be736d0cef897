#include "dialogs/EngineWorker.h"

#include "common/ErrorTrail.h"
#include "common/TrailModules.h"

#include <QEventLoop>
#include <QThread>
#include <exception>
#include <new>
#include <utility>

namespace vellum::gui {

EngineWorker::EngineWorker(QObject* parent) : QObject(parent) {}

EngineWorker::~EngineWorker() {
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

void EngineWorker::Start(Work work) {
    thread_ = QThread::create([this, work = std::move(work)] {
        // An exception would end the program from this thread; it becomes a failed job instead.
        try {
            result_ = work();
        } catch (const std::bad_alloc&) {
            result_ = E_OUTOFMEMORY;
            ReportError(trail::kVellum, __LINE__, result_,
                        "There was not enough memory to finish the job.");
        } catch (const std::exception& e) {
            result_ = E_FAIL;
            ReportError(trail::kVellum, __LINE__, result_, "The job stopped: %s", e.what());
        }
        trail_ = TakeErrorTrail();
    });
    // Queued, so that what the worker posted before it ended (progress) is seen first.
    connect(thread_, &QThread::finished, this, &EngineWorker::End, Qt::QueuedConnection);
    thread_->start();
}

HRESULT EngineWorker::Run(Work work) {
    QEventLoop loop;
    connect(this, &EngineWorker::Finished, &loop, &QEventLoop::quit);
    Start(std::move(work));
    loop.exec();
    return result_;
}

void EngineWorker::End() {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    AppendErrorTrail(std::exchange(trail_, std::nullopt));
    emit Finished(result_);
}

} // namespace vellum::gui
