#include "test_tally.h"

namespace zorik {

void TestTally::reading(const Reading& reading)
{
    if (!reading.disagreement)
        return;
    LockHold hold(m_lock);
    if (reading.channel >= 0 && reading.channel < 3)
        ++m_disagreements[reading.channel];
}

void TestTally::reset()
{
    LockHold hold(m_lock);
    m_disagreements[0] = m_disagreements[1] = m_disagreements[2] = 0;
    m_testingMs = 0;
    m_running = false;
}

void TestTally::beginRunning(std::uint32_t nowMs)
{
    LockHold hold(m_lock);
    m_lastMs = nowMs;
    m_running = true;
}

std::uint64_t TestTally::advance(std::uint32_t nowMs)
{
    LockHold hold(m_lock);
    if (m_running) {
        // Unsigned: a wrap of the count between two readings still gives
        // the time that passed.
        m_testingMs += static_cast<std::uint32_t>(nowMs - m_lastMs);
        m_lastMs = nowMs;
    }
    return m_testingMs;
}

void TestTally::endRunning(std::uint32_t nowMs)
{
    advance(nowMs);
    LockHold hold(m_lock);
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

std::uint64_t TestTally::testingMilliseconds(std::uint32_t nowMs) const
{
    LockHold hold(m_lock);
    // Another thread's reading may come just before the worker's last
    // one: that counts as no time, never as 49 days.
    const std::uint32_t since = static_cast<std::uint32_t>(nowMs - m_lastMs);
    return m_testingMs + (m_running && since < 0x80000000u ? since : 0);
}

} // namespace zorik
