#pragma once

#include "ui/GuiThread.h"

#include <QObject>
#include <atomic>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <utility>

namespace tolvane {

// One long operation on a worker thread (a backup, a restore, a defragmentation) with a
// completion step on the GUI thread. The worker gets a stop token; its result is handed to
// `done` through a queued call, so `done` may touch widgets. Keep the task as a member of the
// receiving page: its destructor asks the worker to stop and waits for it, so the worker never
// outlives the page.
//
//     task_.start([&platform](std::stop_token stop) { return FullBackups(platform).create(); },
//                 [this](Result<std::string> created) { ...show the outcome, clear busy... });
class BackgroundTask {
public:
    explicit BackgroundTask(QObject& receiver) : receiver_(receiver) {}
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;
    ~BackgroundTask() {
        requestStop();
        wait();
    }

    // `work(std::stop_token)` runs on the worker; `done(result)` (or `done()` for void work)
    // on the receiver's thread. A previous run is waited for first.
    template <typename Work, typename Done>
    void start(Work work, Done done) {
        wait();
        running_ = true;
        worker_ = std::jthread(
            [this, work = std::move(work), done = std::move(done)](std::stop_token stop) mutable {
                using Result = std::invoke_result_t<Work&, std::stop_token>;
                if constexpr (std::is_void_v<Result>) {
                    work(stop);
                    GuiThread::post(&receiver_, [this, done = std::move(done)]() mutable {
                        running_ = false;
                        done();
                    });
                } else {
                    Result result = work(stop);
                    GuiThread::post(&receiver_, [this, done = std::move(done),
                                                 result = std::move(result)]() mutable {
                        running_ = false;
                        done(std::move(result));
                    });
                }
            });
    }

    // True from start until the completion step has begun on the GUI thread.
    bool running() const { return running_; }
    void requestStop() { worker_.request_stop(); }
    // Waits for the worker (not for its completion step, which is queued).
    void wait() {
        if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) {
            worker_.join();
        }
    }

private:
    QObject& receiver_;
    std::atomic<bool> running_{false};
    std::jthread worker_;
};

} // namespace tolvane
