#include "run_control.h"

namespace zorik {

namespace {

enum class Decision { Start, Resume, Stop, Ignore };

} // namespace

int RunFlag::value() const
{
    LockHold hold(m_lock);
    return m_running ? 1 : 0;
}

bool RunFlag::workerActive() const
{
    LockHold hold(m_lock);
    return m_workerActive;
}

TestButtonResult RunFlag::onTestButton(TestButtonActions& actions)
{
    Decision decision;
    {
        LockHold hold(m_lock);
        if (m_closing) {
            decision = Decision::Ignore;
        } else if (m_running) {
            m_running = false;
            decision = Decision::Stop;
        } else {
            m_running = true;
            // A worker still finishing its cycle will see the flag before it
            // retires and simply carries on.
            decision = m_workerActive ? Decision::Resume : Decision::Start;
            m_workerActive = true;
        }
    }

    switch (decision) {
    case Decision::Ignore:
        return TestButtonResult::Ignored;
    case Decision::Stop:
        actions.setPollTimer();
        return TestButtonResult::Stopped;
    case Decision::Resume:
        actions.killPollTimer();
        return TestButtonResult::Resumed;
    case Decision::Start:
        break;
    }

    actions.killPollTimer();
    if (actions.startWorkerThread())
        return TestButtonResult::Started;

    {
        LockHold hold(m_lock);
        m_running = false;
        m_workerActive = false;
    }
    actions.setPollTimer();
    return TestButtonResult::StartFailed;
}

void RunFlag::stopAndWait(const WaitForWorker& wait)
{
    {
        LockHold hold(m_lock);
        m_closing = true;
        m_running = false;
        if (!m_workerActive)
            return;
    }
    wait([this] { return !workerActive(); });
}

bool RunFlag::keepCycling() const
{
    LockHold hold(m_lock);
    return m_running;
}

bool RunFlag::retireWorker()
{
    LockHold hold(m_lock);
    if (m_running)
        return false;
    m_workerActive = false;
    return true;
}

void RunFlag::stopAtBound()
{
    LockHold hold(m_lock);
    m_running = false;
    m_boundReached = true;
}

void RunFlag::stopOutOfMemory()
{
    LockHold hold(m_lock);
    m_running = false;
    m_outOfMemory = true;
}

bool RunFlag::outOfMemory() const
{
    LockHold hold(m_lock);
    return m_outOfMemory;
}

void RunFlag::forgetLastUnit()
{
    LockHold hold(m_lock);
    m_boundReached = false;
    m_outOfMemory = false;
}

bool RunFlag::boundReached() const
{
    LockHold hold(m_lock);
    return m_boundReached;
}

} // namespace zorik
