// What the summary line shows beside the cycle counter: the disagreements
// logged per channel and the time spent testing, summed over every running
// period of the worker. The worker keeps it; the UI thread reads it on its
// summary timer, so every access is under a lock (64-bit figures on a
// 32-bit processor).
//
// Time goes by the system's tick count (GetTickCount): one count for every
// thread and processor, there on every Windows, fine enough for seconds,
// and wrapping at 2^32 ms, which the worker's frequent readings keep from
// mattering.
#pragma once

#include "lock.h"
#include "reading.h"

#include <cstdint>

namespace zorik {

class TestTally final : public ReadingListener {
public:
    TestTally() = default;
    TestTally(const TestTally&) = delete;
    TestTally& operator=(const TestTally&) = delete;

    // --- worker thread; `nowMs` is the tick count ---
    // Counts the reading's disagreement, if it is one.
    void reading(const Reading& reading) override;
    void beginRunning(std::uint32_t nowMs);
    // Adds the time since the last reading; returns the time spent testing.
    // Called before every cycle, a few hundred milliseconds apart.
    std::uint64_t advance(std::uint32_t nowMs);
    void endRunning(std::uint32_t nowMs);

    // --- the UI thread, while no worker runs: a station's next unit ---
    void reset();

    // --- any thread ---
    std::uint64_t disagreements(int channel) const;
    std::uint64_t disagreements() const;
    // Milliseconds spent testing, the period under way counted up to `nowMs`.
    std::uint64_t testingMilliseconds(std::uint32_t nowMs) const;

private:
    mutable Lock m_lock;
    std::uint64_t m_disagreements[3] = {0, 0, 0};
    std::uint64_t m_testingMs = 0; // up to m_lastMs
    std::uint32_t m_lastMs = 0;
    bool m_running = false;
};

} // namespace zorik
