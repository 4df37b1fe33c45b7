// One kind of transfer (the quote, the chart picture) on a worker of its own, so that a host of one
// kind that never answers delays no other kind.
//
// One transfer at a time. One under way for longer than the give-up limit is given up with its
// worker: WinInet can be stuck where no bound of its own reaches (headers without end), and under
// Wine closing its handle does not help. While the given-up worker's thread still lives the kind
// starts nothing new, so a host that never ends costs at most one thread.
#pragma once

#include <chrono>
#include <memory>
#include <utility>

#include "base/generation.h"
#include "base/worker.h"
#include "net/transfer_limits.h"

namespace tickra {

template <class Control>
class TransferSlot {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Whether a transfer may start now: none is under way, and no given-up one still runs.
    bool CanStart() {
        if (abandoned_ && abandoned_->finished()) {
            abandoned_->Join(TimePoint{});
            abandoned_.reset();
        }
        return !busy_ && !abandoned_;
    }
    bool busy() const { return busy_; }
    // A given-up transfer's thread still runs.
    bool blocked() const { return abandoned_ && !abandoned_->finished(); }

    // Starts the job that make_job makes for the transfer's generation, which its result must
    // carry back to Finish; now is when the request starts, for its own worker waits for nothing
    // else. Only when CanStart().
    template <class MakeJob>
    void Start(MakeJob make_job, TimePoint now) {
        if (!worker_) {
            worker_ = std::make_unique<Worker<Control>>();
        }
        busy_ = true;
        started_ = now;
        worker_->Post(make_job(generation_.Next()));
    }

    // The result of a transfer came back: true when it is the one under way, which has now ended.
    bool Finish(unsigned generation) {
        if (!busy_ || !generation_.IsCurrent(generation)) {
            return false;  // given up meanwhile
        }
        busy_ = false;
        return true;
    }

    // Gives up the transfer under way when it began limit or longer before now; true when it did.
    // Its result, should it ever come, is not taken.
    bool GiveUpIfOverdue(TimePoint now, std::chrono::steady_clock::duration limit = kGiveUpAfter) {
        return busy_ && now - started_ >= limit && GiveUp();
    }
    // Gives up the transfer under way now; true when there was one.
    bool GiveUp() {
        if (!busy_) {
            return false;
        }
        worker_->Cancel();
        abandoned_ = std::move(worker_);  // no other lives: nothing starts while one does
        busy_ = false;
        generation_.Drop();
        return true;
    }

    // Exit: every worker of the slot aborts; Join then waits for them until the deadline.
    void Cancel() {
        for (Worker<Control>* worker : {worker_.get(), abandoned_.get()}) {
            if (worker != nullptr) {
                worker->Cancel();
            }
        }
        busy_ = false;
        generation_.Drop();
    }
    bool Join(TimePoint deadline) {
        bool ended = true;
        for (Worker<Control>* worker : {worker_.get(), abandoned_.get()}) {
            if (worker != nullptr) {
                ended = worker->Join(deadline) && ended;
            }
        }
        return ended;
    }

private:
    std::unique_ptr<Worker<Control>> worker_;     // made with the first transfer
    std::unique_ptr<Worker<Control>> abandoned_;  // given up, its thread perhaps still running
    bool busy_ = false;
    TimePoint started_;
    Generation generation_;
};

}  // namespace tickra
