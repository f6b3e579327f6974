// What the summary line shows beside the cycle counter: the disagreements
// logged per channel and the time spent testing, summed over every running
// period of the worker. The worker keeps it; the UI thread reads it on its
// summary timer, so every access is under a lock (64-bit figures on a
// 32-bit processor).
#pragma once

#include "lock.h"
#include "loopback_waits.h"

#include <cstdint>

namespace zorik {

class TestTally {
public:
    TestTally() = default;
    TestTally(const TestTally&) = delete;
    TestTally& operator=(const TestTally&) = delete;

    // --- worker thread ---
    void countDisagreement(int channel);
    // A running period begins or ends, by the worker's wait clock.
    void beginRunning(std::uint64_t ticks, TickRate rate);
    void endRunning(std::uint64_t ticks);

    // --- any thread ---
    std::uint64_t disagreements(int channel) const;
    std::uint64_t disagreements() const;
    // Whole milliseconds spent testing, the period under way counted up to
    // `nowTicks` (a reading of the same counter).
    std::uint64_t testingMilliseconds(std::uint64_t nowTicks) const;

private:
    std::uint64_t ticksSinceStartLocked(std::uint64_t nowTicks) const;

    mutable Lock m_lock;
    std::uint64_t m_disagreements[3] = {0, 0, 0};
    TickRate m_rate{1000, ~std::uint64_t{0}};
    std::uint64_t m_finishedTicks = 0;
    std::uint64_t m_periodStart = 0;
    bool m_running = false;
};

} // namespace zorik
