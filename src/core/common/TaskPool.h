// A small fixed pool of worker threads for independent jobs, such as encoding PNG files while
// the decompiler goes on writing other resources.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace vellum {

class TaskPool {
public:
    // `workers` 0 means one per hardware thread (at least one).
    explicit TaskPool(unsigned workers = 0);
    ~TaskPool(); // finishes the queued jobs, then joins the workers
    TaskPool(const TaskPool&) = delete;
    TaskPool& operator=(const TaskPool&) = delete;

    template <typename Result> std::future<Result> Submit(std::function<Result()> job) {
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(job));
        std::future<Result> result = task->get_future();
        Enqueue([task] { (*task)(); });
        return result;
    }

private:
    void Enqueue(std::function<void()> job);
    void Work();

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace vellum
