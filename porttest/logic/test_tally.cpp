#include "test_tally.h"

namespace zorik {

void TestTally::countDisagreement(int channel)
{
    LockHold hold(m_lock);
    if (channel >= 0 && channel < 3)
        ++m_disagreements[channel];
}

void TestTally::beginRunning(std::uint64_t ticks, TickRate rate)
{
    LockHold hold(m_lock);
    m_rate = rate;
    m_periodStart = ticks;
    m_running = true;
}

void TestTally::endRunning(std::uint64_t ticks)
{
    LockHold hold(m_lock);
    if (!m_running)
        return;
    m_finishedTicks += ticksSinceStartLocked(ticks);
    m_running = false;
}

std::uint64_t TestTally::disagreements(int channel) const
{
    LockHold hold(m_lock);
    return channel >= 0 && channel < 3 ? m_disagreements[channel] : 0;
}

std::uint64_t TestTally::disagreements() const
{
    LockHold hold(m_lock);
    return m_disagreements[0] + m_disagreements[1] + m_disagreements[2];
}

std::uint64_t TestTally::ticksSinceStartLocked(std::uint64_t nowTicks) const
{
    // As the waits count: within the counter's width, and a reading before
    // the start (another core's counter) as no time at all.
    const std::uint64_t passed = (nowTicks - m_periodStart) & m_rate.mask;
    return passed > m_rate.mask / 2 ? 0 : passed;
}

std::uint64_t TestTally::testingMilliseconds(std::uint64_t nowTicks) const
{
    LockHold hold(m_lock);
    const std::uint64_t ticks = m_finishedTicks + (m_running ? ticksSinceStartLocked(nowTicks) : 0);
    // Split at whole seconds, so that no product overflows at any rate.
    const std::uint64_t perSecond = m_rate.perSecond;
    return ticks / perSecond * 1000u + ticks % perSecond * 1000u / perSecond;
}

} // namespace zorik
