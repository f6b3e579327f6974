// One reading of the loopback test, and the stream that carries it. The
// worker publishes every reading once, as it makes it; everything that
// learns from the test listens: the summary's tally, the log (and the log
// box), the journal and the diagnosis. A newcomer follows a reading from
// the port (loopback_worker.cpp) through here to each of them
// (docs/architecture.md).
#pragma once

#include "loopback_services.h"

#include <cstdint>

namespace zorik {

struct Reading {
    std::uint32_t cycle = 0; // g_nTestCount of the cycle
    int channel = 0;         // 0 to 2

    // Bit k: output switch k as shown when input `channel` was read back;
    // for `channel` itself, the state the test compared. The switches
    // before `channel` already show this cycle's pattern, the ones after it
    // the last cycle's.
    unsigned outputs = 0;
    // Bit k: the test has driven output k since this run began, so that its
    // switch shows the level the unit receives. Before a run's first write
    // of an output its switch may show one level while the port drives
    // another (the library's latch starts with every output on).
    unsigned outputsDriven = 0;
    // Input indicator `channel` as compared: 1 or 0.
    int input = 0;
    // Output `channel`'s level before this cycle's write: 1 or 0, or -1
    // when this run has not driven it before.
    int previousOutput = -1;

    // The indicators disagreed: the log gets a line. Only then are `time`
    // (when it was noticed) and the two states read back once more for the
    // line taken.
    bool disagreement = false;
    LocalTime time = {0, 0, 0};
    int lineOutput = 0;
    int lineInput = 0;

    int output() const { return static_cast<int>((outputs >> channel) & 1u); }
};

// What a listener hears, in this order for every cycle: cycleBegun, three
// readings (channels 0, 1, 2), cycleEnded. All calls come from the worker
// thread, one worker at a time; a listener that is read from another
// thread locks for itself. Nothing here may wait long: the gap after each
// reading counts the time its listeners take.
class ReadingListener {
public:
    virtual ~ReadingListener() = default;
    virtual void cycleBegun(std::uint32_t cycle) { static_cast<void>(cycle); }
    virtual void reading(const Reading& reading) { static_cast<void>(reading); }
    // Every reading of the cycle has been published.
    virtual void cycleEnded(std::uint32_t cycle) { static_cast<void>(cycle); }
};

// Hands every call on to its listeners, in the order they were added.
class ReadingStream final : public ReadingListener {
public:
    static constexpr int kMaxListeners = 6;

    void add(ReadingListener& listener)
    {
        if (m_count < kMaxListeners)
            m_listeners[m_count++] = &listener;
    }

    void cycleBegun(std::uint32_t cycle) override
    {
        for (int i = 0; i < m_count; ++i)
            m_listeners[i]->cycleBegun(cycle);
    }
    void reading(const Reading& reading) override
    {
        for (int i = 0; i < m_count; ++i)
            m_listeners[i]->reading(reading);
    }
    void cycleEnded(std::uint32_t cycle) override
    {
        for (int i = 0; i < m_count; ++i)
            m_listeners[i]->cycleEnded(cycle);
    }

private:
    ReadingListener* m_listeners[kMaxListeners] = {};
    int m_count = 0;
};

} // namespace zorik
