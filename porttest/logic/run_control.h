// The loopback test's run flag, together with the bookkeeping that keeps
// starting and stopping sound:
//  - at most one worker runs at a time: a Test press while the previous
//    worker is still finishing its cycle lets that worker carry on instead
//    of starting a second one;
//  - only the Test button (and closing) clears the flag; a worker that ends
//    never clears a flag set for its successor, so presses always alternate
//    start / stop and every stop restarts the poll timer;
//  - closing stops the worker and waits for it, after which it never
//    touches the dialog again.
//
// The lock is never held while calling the dialog, the seams or the wait,
// because the worker's dialog calls are serviced by the UI thread.
#pragma once

#include "lock.h"

#include <functional>

namespace zorik {

// What the Test button handler needs of the dialog. All three are called on
// the UI thread, from RunFlag::onTestButton, with no lock held.
class TestButtonActions {
public:
    virtual ~TestButtonActions() = default;

    // Starts a worker thread that runs TestThreadProc on this dialog
    // (normal priority). Returns false when no thread could be started.
    virtual bool startWorkerThread() = 0;
    // KillTimer(POLL_TIMER_ID).
    virtual void killPollTimer() = 0;
    // SetTimer(POLL_TIMER_ID, POLL_PERIOD_MS).
    virtual void setPollTimer() = 0;
};

enum class TestButtonResult {
    Started,     // flag set, poll timer killed, a new worker started
    Resumed,     // flag set, poll timer killed, the finishing worker carries on
    Stopped,     // flag cleared, poll timer set; the worker finishes its cycle
    StartFailed, // no thread could be started: flag cleared again, poll timer set again
    Ignored,     // the dialog is closing: nothing done
};

class RunFlag {
public:
    RunFlag() = default;
    RunFlag(const RunFlag&) = delete;
    RunFlag& operator=(const RunFlag&) = delete;

    // 1 while a test is wanted, 0 otherwise (the classic g_bTestRunning value).
    int value() const;
    // True from the start decision until the worker has retired.
    bool workerActive() const;

    // --- UI thread ---

    // The Test button handler: starts or stops the test.
    TestButtonResult onTestButton(TestButtonActions& actions);

    // Closing the dialog: clears the flag, refuses every later start and
    // calls `wait` until the worker has retired (returns at once if none
    // runs). `wait` gets a predicate that turns true once the worker is done
    // with the dialog; it must keep the UI thread's messages flowing while
    // it waits (the worker's control calls need them) and should re-check
    // the predicate every few milliseconds, since the worker's retirement
    // itself posts no message. On the host a plain join of the worker
    // thread will do. After stopAndWait returns the worker never touches
    // the dialog again.
    using WaitForWorker = std::function<void(const std::function<bool()>& workerDone)>;
    void stopAndWait(const WaitForWorker& wait);

    // --- worker thread (used by TestThreadProc) ---

    // Before each cycle: true while the flag is set.
    bool keepCycling() const;
    // When the worker has seen the flag cleared and restored the caption:
    // returns true if it must end now (it is no longer active and must not
    // touch the dialog any more), false if the test was started again
    // meanwhile and it has to carry on.
    bool retireWorker();
    // A bounded run has reached its bound: clears the flag as a stop would,
    // and remembers why, so that the run's end is not taken for the
    // operator's.
    void stopAtBound();

    // Memory ran out in a cycle: clears the flag as a stop would, and
    // remembers why.
    void stopOutOfMemory();

    // True once a worker has stopped at its run's bound.
    bool boundReached() const;
    // A station's next unit is a run of its own: forgets how the last
    // one's worker stopped (its bound, or memory running out).
    void forgetLastUnit();
    // True once a worker has stopped because memory ran out.
    bool outOfMemory() const;

private:
    mutable Lock m_lock;
    bool m_running = false;
    bool m_workerActive = false;
    bool m_closing = false;
    bool m_boundReached = false;
    bool m_outOfMemory = false;
};

} // namespace zorik
