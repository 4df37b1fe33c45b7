// A thread that runs jobs one after another, so that the window thread never waits. Each job gets
// the worker's control, through which Cancel aborts what it is doing (a transfer's control closes
// its connection). Jobs take values and hand their results back through the owner's mailbox; they
// touch no window and no state of their owner's.
//
// Cancel aborts and never waits; so does the destructor. Only Exit waits, with Join, once for all
// workers against one deadline. A thread still busy then is let go: it holds nothing of its
// owner's. (Wine does not end a blocked WinInet call when its handle is closed.)
//
// The thread is made with the first job and ends after waiting `linger` for another; the next job
// makes a new one. An idle thread costs about 1 MiB under Wine, and most workers are idle for
// the rest of the run after their first jobs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

#include "base/thread_start.h"

namespace tickra {

template <class Control>
class Worker {
public:
    using Job = std::function<void(Control& control)>;
    using TimePoint = std::chrono::steady_clock::time_point;

    // stack_bytes: what the thread's stack reserves; 0 for the program's default.
    explicit Worker(std::chrono::milliseconds linger = std::chrono::seconds(10),
                    size_t stack_bytes = kWorkerStackBytes)
        : state_(std::make_shared<State>()), stack_bytes_(stack_bytes) {
        state_->linger = linger;
    }
    // Cancels, and lets a thread still busy go.
    ~Worker() { Cancel(); }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Queues a job; once cancelled, the worker takes none.
    void Post(Job job) {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->cancelled) {
            return;
        }
        state_->jobs.push_back(std::move(job));
        if (state_->serving) {
            state_->wake.notify_one();
            return;
        }
        // The thread shares only the state, so it is never waited for by its handle. Without one,
        // the job waits for the next Post to try again.
        state_->serving = StartDetachedThread([state = state_] { state->Run(); }, stack_bytes_);
    }

    // Drops the jobs still waiting and aborts the running one; the thread ends by itself.
    void Cancel() {
        std::deque<Job> dropped;
        {
            const std::lock_guard<std::mutex> lock(state_->mutex);
            state_->cancelled = true;
            dropped.swap(state_->jobs);
            state_->control.Abort();
            state_->wake.notify_all();
        }
    }

    // Waits until no job waits or runs, or until the deadline; true when none does. After Cancel
    // that is when the aborted job has returned: a thread still busy at the deadline is let go.
    bool Join(TimePoint deadline) {
        std::unique_lock<std::mutex> lock(state_->mutex);
        return state_->changed.wait_until(lock, deadline, [this] { return state_->Idle(); });
    }
    bool idle() const {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        return state_->Idle();
    }
    bool cancelled() const {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        return state_->cancelled;
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        std::condition_variable changed;  // a job ended
        std::deque<Job> jobs;
        std::chrono::milliseconds linger{};
        bool cancelled = false;
        bool serving = false;  // a thread runs Run
        bool running = false;
        Control control;

        bool Idle() const { return jobs.empty() && !running; }

        void Run() {
            std::unique_lock<std::mutex> lock(mutex);
            for (;;) {
                if (!wake.wait_for(lock, linger, [this] { return cancelled || !jobs.empty(); })) {
                    serving = false;  // the next job makes another thread
                    return;
                }
                if (cancelled) {
                    break;
                }
                Job job = std::move(jobs.front());
                jobs.pop_front();
                running = true;
                lock.unlock();
                try {
                    job(control);
                } catch (...) {  // a job that throws loses its result, not the worker
                }
                job = nullptr;  // what it holds goes before the owner hears it has ended
                lock.lock();
                running = false;
                changed.notify_all();
            }
            serving = false;
        }
    };

    std::shared_ptr<State> state_;  // shared with the thread, which may outlive the worker
    size_t stack_bytes_;
};

}  // namespace tickra
