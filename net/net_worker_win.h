// A thread that runs transfers one after another, so that the user-interface thread never waits
// for the network. Jobs take values and hand their results back through the owner's mailbox; they
// touch no window.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "net/http_client_win.h"

namespace tickra {

class NetWorker {
public:
    // A job gets the control through which its transfers can be aborted.
    using Job = std::function<void(TransferControl& control)>;

    NetWorker();
    // Stops with a short bound: Exit must not wait for a stalled host.
    ~NetWorker();
    NetWorker(const NetWorker&) = delete;
    NetWorker& operator=(const NetWorker&) = delete;

    void Post(Job job);
    // Drops the jobs still waiting, aborts the running transfer and waits up to the bound for the
    // thread. A thread still blocked after that is left to end by itself: it holds nothing of its
    // owner's. (Wine does not end a blocked WinInet call when its handle is closed; Windows does.)
    // A worker that stopped takes no more jobs: a cancel is a stop and a new worker.
    void Stop(std::chrono::milliseconds bound);

private:
    struct State;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

// Stops the worker, waits for its thread up to the bound, and lets it go: a transfer stuck where
// no bound reaches (Wine) ends by itself, some time. Nothing happens without a worker.
void DropWorker(std::unique_ptr<NetWorker>& worker,
                std::chrono::milliseconds bound = std::chrono::milliseconds(0));

}  // namespace tickra
