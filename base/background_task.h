// The one shape of background work. An owner keeps one BackgroundTask per kind of work (a quote,
// a chart picture, a balance price, the update check, the upgrade download, the shell's calls).
//
// A job is a plain function of values: it has no captures, so it cannot reach its owner; its
// arguments are copied to the worker. Its result comes back through the owner's mailbox, as a task
// named after the kind, and reaches the continuation on the owner's thread, unless the work was
// given up or cancelled meanwhile. A job that throws reaches it too, as a default Result, which
// every kind's result reads as a failure: no owner waits for ever. The worker
// keeps no way to its owner's state: a task finds the continuation only while the BackgroundTask
// lives.
//
// Work ends two ways only: Cancel aborts and never waits, nor does the destructor; Join waits
// until a deadline and lets a thread still busy go. A kind whose work was given up keeps at most
// one thread behind: while it runs, the kind starts nothing new (CanStart), for its host is taken
// to be down. (Wine does not end a blocked WinInet call when its handle is closed.)
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "base/generation.h"
#include "base/mailbox.h"
#include "base/worker.h"

namespace tickra {

template <class Result, class Control>
class BackgroundTask {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Then = std::function<void(Result result)>;
    // What a job tells while it runs (a download's percentage); it reaches the owner's thread as
    // results do.
    using Progress = std::function<void(int step)>;
    template <class Args>
    using Job = Result (*)(const Args& args, Control& control);
    template <class Args>
    using ReportingJob = Result (*)(const Args& args, Control& control, const Progress& progress);

    // name: what the work is, in the mailbox's reports. mailbox: the owner's, where results go;
    // none for work whose results nobody takes (the shell's calls). stack_bytes: the worker
    // thread's reservation, 0 for the program's default.
    BackgroundTask(const char* name, std::shared_ptr<Mailbox> mailbox,
                   size_t stack_bytes = kWorkerStackBytes)
        : name_(name), mailbox_(std::move(mailbox)), stack_bytes_(stack_bytes) {}
    ~BackgroundTask() { Cancel(); }
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // None is under way, and no given-up one still runs.
    bool CanStart() {
        if (abandoned_ && abandoned_->idle()) {
            abandoned_.reset();
        }
        return !busy() && !abandoned_;
    }
    // A result is awaited.
    bool busy() const { return !owner_->waiting.empty(); }

    // Runs job(args) on the worker, after any started earlier; then gets its result on the
    // owner's thread. now: when it starts, for GiveUpIfOverdue.
    template <class Args>
    void Start(Job<Args> job, Args args, Then then = {}, TimePoint now = {}) {
        Post([job, args = std::move(args)](Control& control,
                                           const Progress&) { return job(args, control); },
             std::move(then), {}, now);
    }
    template <class Args>
    void Start(ReportingJob<Args> job, Args args, Then then, Progress on_progress,
               TimePoint now = {}) {
        Post(
            [job, args = std::move(args)](Control& control, const Progress& progress) {
                return job(args, control, progress);
            },
            std::move(then), on_progress, now);
    }

    // Gives up the work under way when it began limit or longer before now; true when it did.
    bool GiveUpIfOverdue(TimePoint now, std::chrono::steady_clock::duration limit) {
        return busy() && now - started_ >= limit && GiveUp();
    }
    // Gives up the work under way, without waiting; its result, should it come, is not taken.
    // True when there was some.
    bool GiveUp() {
        if (!busy()) {
            return false;
        }
        worker_->Cancel();
        abandoned_ = std::move(worker_);  // no other lives: nothing starts while one does
        Forget();
        return true;
    }

    // Aborts everything, at once; no result of it is taken. Work started later gets a worker of
    // its own.
    void Cancel() {
        for (Worker<Control>* worker : {worker_.get(), abandoned_.get()}) {
            if (worker != nullptr) {
                worker->Cancel();
            }
        }
        Forget();
    }
    // Waits until no job waits or runs, or until the deadline; true when none does. Work still
    // running then is let go, and reported by name.
    bool Join(TimePoint deadline) {
        bool ended = true;
        for (Worker<Control>* worker : {worker_.get(), abandoned_.get()}) {
            if (worker != nullptr) {
                ended = worker->Join(deadline) && ended;
            }
        }
        if (!ended && mailbox_) {
            mailbox_->Report(name_, "still running at the deadline, let go");
        }
        return ended;
    }
    bool idle() const { return !worker_ || worker_->idle(); }

private:
    // What the owner's thread alone touches: the continuations of the work under way, oldest
    // first, and the generation that tells them from given-up work.
    struct Owner {
        Generation generation;
        std::deque<Then> waiting;
        Progress on_progress;
    };
    using Run = std::function<Result(Control& control, const Progress& progress)>;

    void Post(Run run, Then then, const Progress& on_progress, TimePoint now) {
        if (worker_ && worker_->cancelled()) {  // it takes no more jobs: its thread is let be
            if (!abandoned_ || abandoned_->idle()) {
                abandoned_ = std::move(worker_);
            }
            worker_.reset();
        }
        if (!worker_) {
            worker_ = std::make_unique<Worker<Control>>(std::chrono::seconds(10), stack_bytes_);
        }
        if (!busy()) {
            generation_ = owner_->generation.Next();
            started_ = now;
        }
        if (mailbox_) {
            owner_->waiting.push_back(std::move(then));
            owner_->on_progress = on_progress;
        }
        const std::weak_ptr<Owner> owner = owner_;
        worker_->Post([run = std::move(run), mailbox = mailbox_, name = name_, owner,
                       generation = generation_](Control& control) {
            const Progress progress = [&](int step) {
                mailbox->Post(name, [owner, generation, step] {
                    const std::shared_ptr<Owner> alive = owner.lock();
                    if (alive && alive->generation.IsCurrent(generation) && alive->on_progress) {
                        alive->on_progress(step);
                    }
                });
            };
            std::optional<Result> result;
            try {
                result.emplace(run(control, mailbox ? progress : Progress()));
            } catch (...) {
                if (mailbox) {
                    mailbox->Report(name, "failed");
                }
                result.emplace();
            }
            if (mailbox) {
                Deliver(*mailbox, name, owner, generation, std::move(*result));
            }
        });
    }

    // Hands a result to the continuation that waits longest, on the owner's thread.
    static void Deliver(Mailbox& mailbox, const char* name, const std::weak_ptr<Owner>& owner,
                        unsigned generation, Result result) {
        mailbox.Post(
            name, [owner, generation, result = std::make_shared<Result>(std::move(result))] {
                const std::shared_ptr<Owner> alive = owner.lock();
                if (!alive || !alive->generation.IsCurrent(generation) || alive->waiting.empty()) {
                    return;  // given up or cancelled meanwhile
                }
                Then next = std::move(alive->waiting.front());
                alive->waiting.pop_front();
                if (next) {
                    next(std::move(*result));
                }
            });
    }

    // Whatever is under way is no longer waited for.
    void Forget() {
        owner_->generation.Drop();
        owner_->waiting.clear();
        owner_->on_progress = nullptr;
    }

    const char* name_;
    std::shared_ptr<Mailbox> mailbox_;
    size_t stack_bytes_;
    std::shared_ptr<Owner> owner_ = std::make_shared<Owner>();
    std::unique_ptr<Worker<Control>> worker_;     // made with the first job
    std::unique_ptr<Worker<Control>> abandoned_;  // given up, its thread perhaps still running
    unsigned generation_ = 0;
    TimePoint started_;
};

}  // namespace tickra
