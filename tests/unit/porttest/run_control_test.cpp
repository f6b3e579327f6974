// Starting, stopping and closing the loopback test: the Test button's
// decisions, a press while the previous worker finishes its cycle, closing
// while the worker's dialog calls need the UI thread, and rapid presses
// with real threads (meant to run under ThreadSanitizer too).
#include "loopback_fakes.h"
#include "loopback_worker.h"
#include "program_texts.h"
#include "test_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <chrono>
#include <deque>
#include <random>
#include <set>
#include <thread>

using namespace zorik;
using namespace zorik::testing;
using namespace std::chrono_literals;

TEST(TestButton, AlternatesStartAndStop)
{
    RunFlag flag;
    FakeButtonActions button;

    EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Started);
    EXPECT_EQ(button.threadsStarted, 1);
    EXPECT_FALSE(button.pollTimerOn);
    EXPECT_EQ(flag.value(), 1);

    EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Stopped);
    EXPECT_TRUE(button.pollTimerOn);
    EXPECT_EQ(flag.value(), 0);
    // Still finishing its cycle.
    EXPECT_TRUE(flag.workerActive());
}

TEST(TestButton, FailedThreadStartLeavesTheTestStoppedAndPolling)
{
    RunFlag flag;
    FakeButtonActions button;
    button.startWorker = [] { return false; };

    EXPECT_EQ(flag.onTestButton(button), TestButtonResult::StartFailed);
    EXPECT_EQ(flag.value(), 0);
    EXPECT_FALSE(flag.workerActive());
    EXPECT_TRUE(button.pollTimerOn);

    button.startWorker = nullptr;
    EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Started);
}

TEST(TestButton, PressDuringTheLastCycleKeepsTheSameWorkerGoing)
{
    RunFlag flag;
    CycleCounter counter;
    FakeButtonActions button;
    FakeDialog dialog;
    FakeServices services(healthyUnit);

    // In cycle 2 the operator stops and at once starts again; in cycle 4
    // stops for good.
    services.onWrite = [&](int channel, int) {
        if (channel != 0)
            return;
        if (counter.value() == 2) {
            EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Stopped);
            EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Resumed);
        } else if (counter.value() == 4) {
            EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Stopped);
        }
    };
    ASSERT_EQ(flag.onTestButton(button), TestButtonResult::Started);
    TestThreadProc(dialog, services, dialog, flag, counter);

    EXPECT_EQ(counter.value(), 4u);
    EXPECT_EQ(button.threadsStarted, 1);
    EXPECT_TRUE(button.pollTimerOn);
    EXPECT_EQ(flag.value(), 0);
    EXPECT_FALSE(flag.workerActive());
    EXPECT_EQ(dialog.captions().back(), kTestCaptionIdle);
}

TEST(TestButton, PressAfterTheWorkerLeftItsLoopBringsItBack)
{
    RunFlag flag;
    CycleCounter counter;
    FakeButtonActions button;
    FakeDialog dialog;
    FakeServices services(healthyUnit);

    services.onSleep = [&](unsigned) {
        if (flag.value() == 1) {
            EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Stopped);
        }
    };
    bool pressed = false;
    dialog.onCaption = [&](const std::string& caption) {
        if (caption == kTestCaptionIdle && !pressed) {
            pressed = true;
            EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Resumed);
        }
    };
    ASSERT_EQ(flag.onTestButton(button), TestButtonResult::Started);
    TestThreadProc(dialog, services, dialog, flag, counter);

    EXPECT_EQ(counter.value(), 2u);
    EXPECT_EQ(button.threadsStarted, 1);
    EXPECT_TRUE(button.pollTimerOn);
    EXPECT_EQ(dialog.captions(), (std::vector<std::string>{kTestCaptionRunning, kTestCaptionIdle,
                                                           kTestCaptionRunning, kTestCaptionIdle}));
}

TEST(DialogClose, WithoutWorkerReturnsAtOnceAndRefusesLaterStarts)
{
    RunFlag flag;
    FakeButtonActions button;
    bool waited = false;
    flag.stopAndWait([&](const std::function<bool()>&) { waited = true; });

    EXPECT_FALSE(waited);
    EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Ignored);
    EXPECT_EQ(button.threadsStarted, 0);
    EXPECT_TRUE(button.pollTimerOn);
}

namespace {

// A dialog whose controls belong to the test thread, as the real one's
// belong to the UI thread: a call from any other thread is queued and
// blocks until the test thread pumps it, like SendMessage. Readings go
// nowhere: the log is not the dialog's.
class UiThreadDialog : public LoopbackDialog, public ReadingListener {
public:
    void setOutputIndicator(int channel, int checked) override
    {
        send([&] { m_controls.setOutputIndicator(channel, checked); });
    }
    int outputIndicator(int channel) override
    {
        int state = 0;
        send([&] { state = m_controls.outputIndicator(channel); });
        return state;
    }
    void setInputIndicator(int channel, int checked) override
    {
        send([&] { m_controls.setInputIndicator(channel, checked); });
    }
    int inputIndicator(int channel) override
    {
        int state = 0;
        send([&] { state = m_controls.inputIndicator(channel); });
        return state;
    }
    void matchOutputsToSwitches() override
    {
        send([&] { m_controls.matchOutputsToSwitches(); });
    }
    void setTestCaption(const std::string& text) override
    {
        send([&] { m_controls.setTestCaption(text); });
    }
    // Runs the calls waiting for the test thread, waiting up to `timeout`
    // for the first.
    void pump(std::chrono::milliseconds timeout)
    {
        const auto giveUp = std::chrono::steady_clock::now() + timeout;
        std::unique_lock<Lock> hold(m_lock);
        while (m_queue.empty() && std::chrono::steady_clock::now() < giveUp) {
            hold.unlock();
            std::this_thread::yield();
            hold.lock();
        }
        while (!m_queue.empty()) {
            Call* call = m_queue.front();
            m_queue.pop_front();
            hold.unlock();
            call->run();
            hold.lock();
            call->done = true;
        }
    }

    void destroy() { m_destroyed = true; }
    int callsAfterDestroy() const { return m_callsAfterDestroy; }
    std::vector<std::string> captions() const { return m_controls.captions(); }

private:
    struct Call {
        std::function<void()> run;
        bool done;
    };

    void send(std::function<void()> run)
    {
        if (m_destroyed)
            ++m_callsAfterDestroy;
        Call call{std::move(run), false};
        std::unique_lock<Lock> hold(m_lock);
        m_queue.push_back(&call);
        while (!call.done) {
            hold.unlock();
            std::this_thread::yield();
            hold.lock();
        }
    }

    FakeDialog m_controls;
    Lock m_lock;
    std::deque<Call*> m_queue;
    std::atomic<bool> m_destroyed{false};
    std::atomic<int> m_callsAfterDestroy{0};
};

// Services whose waits only give the other threads a turn.
class YieldingServices : public FakeServices {
public:
    using FakeServices::FakeServices;
    void sleep(unsigned) override { std::this_thread::yield(); }
};

} // namespace

TEST(DialogClose, WaitKeepsServicingTheWorkerUntilItIsDone)
{
    RunFlag flag;
    CycleCounter counter;
    UiThreadDialog dialog;
    YieldingServices services(unwiredUnit);
    services.setRandomValues({7});
    test::TestThread worker;
    FakeButtonActions button;
    button.startWorker = [&] {
        worker = test::TestThread([&] { TestThreadProc(dialog, services, dialog, flag, counter); });
        return true;
    };

    ASSERT_EQ(flag.onTestButton(button), TestButtonResult::Started);
    while (counter.value() < 3)
        dialog.pump(1ms);

    flag.stopAndWait([&](const std::function<bool()>& workerDone) {
        while (!workerDone())
            dialog.pump(1ms);
    });
    dialog.destroy();
    worker.join();

    EXPECT_EQ(dialog.callsAfterDestroy(), 0);
    EXPECT_EQ(dialog.captions().back(), kTestCaptionIdle);
    EXPECT_EQ(flag.value(), 0);
    EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Ignored);
}

namespace {

// Records which thread makes each call, and counts the times a thread
// acts again after another one has taken over: a second worker beside the
// first shows up as such an interleaving.
class OwnershipDialog : public FakeDialog {
public:
    void setOutputIndicator(int channel, int checked) override
    {
        touch();
        FakeDialog::setOutputIndicator(channel, checked);
    }
    void setInputIndicator(int channel, int checked) override
    {
        touch();
        FakeDialog::setInputIndicator(channel, checked);
    }
    void setTestCaption(const std::string& text) override
    {
        touch();
        FakeDialog::setTestCaption(text);
    }

    int interleavings() const
    {
        std::lock_guard<Lock> hold(m_ownerLock);
        return m_interleavings;
    }

private:
    void touch()
    {
        const unsigned long me = test::currentThreadNumber();
        std::lock_guard<Lock> hold(m_ownerLock);
        if (me == m_owner)
            return;
        if (m_formerOwners.count(me))
            ++m_interleavings;
        m_formerOwners.insert(m_owner);
        m_owner = me;
    }

    mutable Lock m_ownerLock;
    unsigned long m_owner = 0;
    std::set<unsigned long> m_formerOwners;
    int m_interleavings = 0;
};

} // namespace

TEST(TestButtonStress, RapidPressesNeverRunTwoWorkersNorLoseTheRestart)
{
    RunFlag flag;
    CycleCounter counter;
    OwnershipDialog dialog;
    YieldingServices services(healthyUnit);
    services.setRandomValues({0, 1, 2, 3, 4, 5, 6, 7});
    std::vector<test::TestThread> workers;
    FakeButtonActions button;
    button.startWorker = [&] {
        workers.emplace_back([&] { TestThreadProc(dialog, services, dialog, flag, counter); });
        return true;
    };

    std::minstd_rand pauses(12345);
    int resumed = 0;
    bool alternated = true;
    TestButtonResult previous = TestButtonResult::Stopped;
    for (int press = 0; press < 1000 && alternated; ++press) {
        const TestButtonResult result = flag.onTestButton(button);
        if (previous == TestButtonResult::Stopped)
            alternated = result == TestButtonResult::Started || result == TestButtonResult::Resumed;
        else
            alternated = result == TestButtonResult::Stopped;
        resumed += result == TestButtonResult::Resumed;
        previous = result;
        // Now and then let a started test really cycle, or a stopped worker
        // retire; otherwise press again after a short pause, so that presses
        // land inside cycles, at their ends and between a stop and the
        // worker's retirement.
        const auto giveUp = std::chrono::steady_clock::now() + 2s;
        if (result != TestButtonResult::Stopped && pauses() % 4 == 0) {
            const std::uint32_t seen = counter.value();
            while (counter.value() == seen && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::yield();
        } else if (result == TestButtonResult::Stopped && pauses() % 4 == 0) {
            while (flag.workerActive() && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::yield();
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(pauses() % 300));
        }
    }
    if (flag.value() == 1)
        flag.onTestButton(button);

    for (auto& worker : workers)
        worker.join();

    EXPECT_TRUE(alternated);
    EXPECT_EQ(dialog.interleavings(), 0);
    EXPECT_TRUE(button.pollTimerOn);
    EXPECT_EQ(flag.value(), 0);
    EXPECT_EQ(dialog.captions().back(), kTestCaptionIdle);
    std::printf("workers started %zu, resumed %d, cycles %u\n", workers.size(), resumed,
                counter.value());
}
