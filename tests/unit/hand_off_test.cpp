#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/worker.h"
#include "net/transfer_slot.h"
#include "taskbar/tray_queue.h"

namespace tickra {
namespace {

using namespace std::chrono_literals;

// Like a transfer's control, except that aborting cannot end a job stuck in a gate: as a WinInet
// call blocked under Wine does not end when its handle is closed.
struct FakeControl {
    std::atomic<bool> aborted{false};
    void Abort() { aborted = true; }
};

struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int entered = 0, done = 0;

    void Pass() {
        std::unique_lock<std::mutex> lock(mutex);
        ++entered;
        changed.notify_all();
        changed.wait(lock, [this] { return open; });
        ++done;
        changed.notify_all();
    }
    void Open() {
        const std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
    template <class Predicate>
    bool WaitFor(Predicate predicate) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return predicate(*this); });
    }
};

// Waits for something another thread makes true, with a bound.
template <class Predicate>
bool Eventually(Predicate predicate) {
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(1ms)) {
        if (predicate()) {
            return true;
        }
    }
    return false;
}

TEST(TransferSlot, AGivenUpKindWaitsForItsThreadAndNoOtherKindWaitsForIt) {
    Gate stuck_host, quote_host;
    quote_host.Open();
    TransferSlot<FakeControl> chart, quote;
    const std::chrono::steady_clock::time_point t0{};
    unsigned chart_generation = 0;
    ASSERT_TRUE(chart.CanStart());
    chart.Start(
        [&](unsigned generation) {
            chart_generation = generation;
            return [&](FakeControl&) { stuck_host.Pass(); };
        },
        t0);
    ASSERT_TRUE(stuck_host.WaitFor([](Gate& g) { return g.entered == 1; }));

    unsigned quote_generation = 0;
    ASSERT_TRUE(quote.CanStart());
    quote.Start(
        [&](unsigned generation) {
            quote_generation = generation;
            return [&](FakeControl&) { quote_host.Pass(); };
        },
        t0);
    ASSERT_TRUE(quote_host.WaitFor([](Gate& g) { return g.done == 1; }))
        << "a stuck chart host delays no quote";
    EXPECT_TRUE(quote.Finish(quote_generation));

    EXPECT_FALSE(chart.GiveUpIfOverdue(t0 + 14s));
    EXPECT_TRUE(chart.GiveUpIfOverdue(t0 + 15s));
    EXPECT_FALSE(chart.Finish(chart_generation)) << "a late result of a given-up transfer";
    EXPECT_FALSE(quote.GiveUpIfOverdue(t0 + 15s)) << "the quote's transfer has ended";
    // The given-up thread still hangs: no second one is started beside it.
    EXPECT_FALSE(chart.CanStart());
    EXPECT_TRUE(chart.blocked());
    EXPECT_TRUE(quote.CanStart()) << "the other kind goes on";

    stuck_host.Open();
    EXPECT_TRUE(Eventually([&] { return chart.CanStart(); })) << "its thread has ended";
}

TEST(Worker, CancelDropsWaitingJobsAndAbortsTheRunningOneAndOnlyJoinWaits) {
    Gate gate;
    std::atomic<int> ran{0};
    FakeControl* seen = nullptr;
    auto worker = std::make_unique<Worker<FakeControl>>();
    worker->Post([&](FakeControl& control) {
        seen = &control;
        gate.Pass();
    });
    worker->Post([&](FakeControl&) { ++ran; });
    ASSERT_TRUE(gate.WaitFor([](Gate& g) { return g.entered == 1; }));
    worker->Cancel();
    EXPECT_TRUE(seen->aborted);
    EXPECT_FALSE(worker->Join(std::chrono::steady_clock::now() + 50ms))
        << "the stuck job outlasts the deadline";
    // Exit's one deadline is the only wait: the worker itself goes at once with its job stuck.
    const auto start = std::chrono::steady_clock::now();
    worker.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    gate.Open();
    EXPECT_TRUE(gate.WaitFor([](Gate& g) { return g.done == 1; }));
    EXPECT_EQ(ran, 0) << "the waiting job was dropped";
}

TEST(Worker, AJobAfterTheIdleThreadHasEndedGetsANewOne) {
    std::atomic<int> ran{0};
    Worker<FakeControl> worker(1ms);
    EXPECT_FALSE(worker.serving()) << "no thread before the first job";
    worker.Post([&](FakeControl&) { ++ran; });
    ASSERT_TRUE(Eventually([&] { return ran == 1 && !worker.serving(); }));
    worker.Post([&](FakeControl&) { ++ran; });
    EXPECT_TRUE(Eventually([&] { return ran == 2; }));
    EXPECT_TRUE(Eventually([&] { return !worker.serving(); }));
    worker.Cancel();
    EXPECT_TRUE(worker.Join(std::chrono::steady_clock::now())) << "nothing left to wait for";
}

TEST(TrayQueue, KeepsTheOrderAndEveryBalloonButOnlyTheNewestWaitingTip) {
    using Kind = ShellCallKind;
    TrayQueue<std::string> queue;
    const std::pair<Kind, const char*> asked[] = {
        {Kind::kIcon, "add"},    {Kind::kTip, "tip 1"},         {Kind::kBalloon, "balloon 1"},
        {Kind::kTip, "tip 2"},   {Kind::kBalloon, "balloon 2"}, {Kind::kButton, "button"},
        {Kind::kIcon, "delete"},
    };
    for (const auto& [kind, call] : asked) {
        queue.Push(kind, call);
    }
    std::vector<std::string> made;
    while (auto call = queue.Pop()) {
        made.push_back(*call);
        if (made.size() == 2) {
            queue.Push(Kind::kTip, "tip 3");  // the waiting one was made: this one is new
        }
    }
    EXPECT_EQ(made, (std::vector<std::string>{"add", "tip 2", "balloon 1", "balloon 2", "button",
                                              "delete", "tip 3"}));
}

}  // namespace
}  // namespace tickra
