#include "net/net_worker_win.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

namespace tickra {

struct NetWorker::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable ended;
    std::deque<Job> jobs;
    bool stopping = false;
    bool finished = false;
    TransferControl control;

    void Run() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || !jobs.empty(); });
            if (stopping) {
                break;
            }
            Job job = std::move(jobs.front());
            jobs.pop_front();
            lock.unlock();
            try {
                job(control);
            } catch (...) {  // a job that throws loses its result, not the worker
            }
            lock.lock();
        }
        finished = true;
        ended.notify_all();
    }
};

NetWorker::NetWorker() : state_(std::make_shared<State>()) {
    thread_ = std::thread([state = state_] { state->Run(); });
}

NetWorker::~NetWorker() {
    Stop(std::chrono::milliseconds(300));
}

void NetWorker::Post(Job job) {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    if (!state_->stopping) {
        state_->jobs.push_back(std::move(job));
        state_->wake.notify_one();
    }
}

void NetWorker::Stop(std::chrono::milliseconds bound) {
    if (!thread_.joinable()) {
        return;
    }
    bool finished = false;
    {
        std::unique_lock<std::mutex> lock(state_->mutex);
        state_->jobs.clear();
        state_->stopping = true;
        state_->control.Abort();
        state_->wake.notify_one();
        finished = state_->ended.wait_for(lock, bound, [this] { return state_->finished; });
    }
    if (finished) {
        thread_.join();
    } else {
        thread_.detach();
    }
}

void DropWorker(std::unique_ptr<NetWorker>& worker, std::chrono::milliseconds bound) {
    if (worker) {
        worker->Stop(bound);
        worker.reset();
    }
}

}  // namespace tickra
