#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/background_task.h"
#include "base/mailbox.h"
#include "base/worker.h"

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

// A mailbox whose tasks this thread runs when it pumps, and whose reports it keeps.
struct TestMailbox {
    std::atomic<int> wakes{0};
    std::mutex mutex;
    std::vector<std::string> reports;
    std::shared_ptr<Mailbox> box =
        std::make_shared<Mailbox>([this] { return ++wakes > 0; },
                                  [this](std::string_view line) {
                                      const std::lock_guard<std::mutex> lock(mutex);
                                      reports.emplace_back(line);
                                  });
    // Runs what arrives until the predicate holds.
    template <class Predicate>
    bool PumpUntil(Predicate predicate) {
        return Eventually([&] {
            box->RunPending();
            return predicate();
        });
    }
};

int PassGate(Gate* const& gate, FakeControl&) {
    gate->Pass();
    return 7;
}

int Fail(const int&, FakeControl&) {
    throw std::runtime_error("no");
}

TEST(BackgroundTask, AGivenUpKindWaitsForItsThreadAndNoOtherKindWaitsForIt) {
    Gate stuck_host, quote_host;
    quote_host.Open();
    TestMailbox mail;
    BackgroundTask<int, FakeControl> chart("chart", mail.box), quote("quote", mail.box);
    const std::chrono::steady_clock::time_point t0{};
    std::vector<int> charts, quotes;
    ASSERT_TRUE(chart.CanStart());
    chart.Start(
        PassGate, &stuck_host, [&](int r) { charts.push_back(r); }, t0);
    ASSERT_TRUE(stuck_host.WaitFor([](Gate& g) { return g.entered == 1; }));

    ASSERT_TRUE(quote.CanStart());
    quote.Start(
        PassGate, &quote_host, [&](int r) { quotes.push_back(r); }, t0);
    EXPECT_TRUE(mail.PumpUntil([&] { return !quotes.empty(); }))
        << "a stuck chart host delays no quote";
    EXPECT_FALSE(quote.busy());

    EXPECT_FALSE(chart.GiveUpIfOverdue(t0 + 14s, 15s));
    EXPECT_TRUE(chart.GiveUpIfOverdue(t0 + 15s, 15s));
    EXPECT_FALSE(quote.GiveUpIfOverdue(t0 + 15s, 15s)) << "the quote's work has ended";
    // The given-up thread still hangs: no second one is started beside it.
    EXPECT_FALSE(chart.CanStart());
    EXPECT_TRUE(quote.CanStart()) << "the other kind goes on";

    stuck_host.Open();
    EXPECT_TRUE(mail.PumpUntil([&] { return chart.CanStart(); })) << "its thread has ended";
    mail.box->RunPending();
    EXPECT_TRUE(charts.empty()) << "a late result of given-up work";
    EXPECT_EQ(quotes, std::vector<int>{7});
}

int Seven(const int&, FakeControl&) {
    return 7;
}

// The owner's wait ends with a result, whatever became of the job: it threw, or it was started
// after a Cancel.
TEST(BackgroundTask, AFailedJobIsReportedByNameAndEndsTheWaitAsAFailure) {
    TestMailbox mail;
    BackgroundTask<int, FakeControl> task("balance price", mail.box);
    std::vector<int> results;
    task.Start(Fail, 0, [&](int r) { results.push_back(r); });
    EXPECT_TRUE(mail.PumpUntil([&] { return !task.busy(); }));
    task.Cancel();
    ASSERT_TRUE(mail.PumpUntil([&] { return task.CanStart(); }));
    task.Start(Seven, 0, [&](int r) { results.push_back(r); });
    EXPECT_TRUE(mail.PumpUntil([&] { return !task.busy(); }));
    EXPECT_EQ(results, (std::vector<int>{0, 7}));
    const std::lock_guard<std::mutex> lock(mail.mutex);
    EXPECT_EQ(mail.reports, std::vector<std::string>{"balance price: failed"});
}

TEST(Mailbox, RunsTasksInOrderWithOneWakeAndFreesWhatIsLeftWhenClosed) {
    TestMailbox mail;
    std::string ran;
    for (char task : std::string("abc")) {
        EXPECT_TRUE(mail.box->Post("letter", [&ran, task] { ran += task; }));
    }
    EXPECT_EQ(mail.wakes, 1) << "one wake is enough for any number of tasks";
    mail.box->RunPending();
    EXPECT_EQ(ran, "abc");

    // What waits when the window goes is freed unrun, and nothing is taken afterwards.
    auto held = std::make_shared<int>(0);
    EXPECT_TRUE(mail.box->Post("held", [held] { ++*held; }));
    mail.box->Close();
    EXPECT_EQ(held.use_count(), 1);
    EXPECT_FALSE(mail.box->Post("held", [held] { ++*held; }));
    EXPECT_EQ(held.use_count(), 1);
    mail.box->RunPending();
    EXPECT_EQ(*held, 0);
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
    Worker<FakeControl> worker(0ms);  // each thread ends as soon as its queue is empty
    for (int job = 1; job <= 3; ++job) {
        worker.Post([&](FakeControl&) { ++ran; });
        ASSERT_TRUE(Eventually([&] { return ran == job; }));
    }
    worker.Cancel();
    EXPECT_TRUE(worker.Join(std::chrono::steady_clock::now())) << "nothing left to wait for";
}

}  // namespace
}  // namespace tickra
