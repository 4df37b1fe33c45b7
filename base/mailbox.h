// Work handed back to a window's thread from any thread. The tasks wait here, under a lock; the
// window is only told to look, by a message that carries nothing. Any program can post to our
// windows, so a forged or broadcast message can at most run what is already waiting.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string_view>
#include <utility>

namespace tickra {

class Mailbox {
public:
    // wake: asks the owner's thread to call RunPending, from any thread; false when it could not,
    // and the next task asks again. report: tells, by a task's name, of one that failed or of
    // work let go stuck; may be empty.
    explicit Mailbox(std::function<bool()> wake,
                     std::function<void(std::string_view line)> report = {})
        : wake_(std::move(wake)), report_(std::move(report)) {}
    Mailbox(const Mailbox&) = delete;
    Mailbox& operator=(const Mailbox&) = delete;

    // Any thread. name: what the task is, for reports. False when the mailbox is closed; the task
    // is then freed unrun.
    bool Post(const char* name, std::function<void()> task);
    // The owner's thread: runs, in order, the tasks that were waiting when it was called. A task
    // that closes the mailbox stops the rest.
    void RunPending();
    // The owner's thread, at WM_DESTROY or when the owner ends: takes nothing more and frees what
    // waits unrun.
    void Close();
    bool closed() const;

    // Any thread: "<name>: <what>" to the report, if there is one.
    void Report(std::string_view name, std::string_view what) const;

private:
    struct Task {
        const char* name;
        std::function<void()> run;
    };

    mutable std::mutex mutex_;
    std::function<bool()> wake_;
    std::function<void(std::string_view line)> report_;
    std::deque<Task> tasks_;
    bool closed_ = false;
    bool signalled_ = false;  // a wake is on its way: one is enough for any number of tasks
};

}  // namespace tickra
