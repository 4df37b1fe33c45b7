#include "base/mailbox.h"

#include <string>

namespace tickra {

bool Mailbox::Post(const char* name, std::function<void()> task) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (closed_) {
        lock.unlock();
        task = nullptr;  // freed outside the lock: it may own anything
        return false;
    }
    tasks_.push_back({name, std::move(task)});
    if (!signalled_) {
        // A full message queue refuses; the next task tries again.
        signalled_ = wake_();
    }
    return true;
}

void Mailbox::RunPending() {
    size_t waiting = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = false;  // tasks posted from here on need a wake of their own
        waiting = tasks_.size();
    }
    // Only what was waiting: a task that posts another must not keep this message forever.
    for (; waiting > 0; --waiting) {
        Task task;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (closed_ || tasks_.empty()) {
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        try {
            if (task.run) {
                task.run();
            }
        } catch (...) {  // a task that throws loses its own work, not the ones behind it
            Report(task.name, "failed");
        }
    }
}

void Mailbox::Close() {
    std::deque<Task> unrun;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        unrun.swap(tasks_);
    }
}

bool Mailbox::closed() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

void Mailbox::Report(std::string_view name, std::string_view what) const {
    if (report_) {
        report_(std::string(name) + ": " + std::string(what));
    }
}

}  // namespace tickra
