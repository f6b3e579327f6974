// The loopback worker's two waits and the loop that makes each last its
// full time: Sleep may end early (a wait shorter than the system timer's
// period on the NT family, the coarse timer of the 9x family), and a
// settle that ends after 3 ms makes a slow but healthy unit look faulty.
#pragma once

#include <cstdint>

namespace zorik {

// Wait between writing an output and reading its input back; printed in
// the log header too.
constexpr unsigned SETTLE_DELAY_MS = 10;
// Wait after every channel's step, disagreement or not.
constexpr unsigned CHANNEL_GAP_MS = 100;

// How fast a WaitClock's counter runs and where it wraps: the counter
// counts 0, 1, ..., mask, 0, ... at perSecond a second. perSecond 0: there
// is no such counter, and the waits go by the tick count alone.
struct TickRate {
    std::uint64_t perSecond;
    std::uint64_t mask; // 2^64 - 1 for QueryPerformanceCounter
};

// Sleeping, a fine counter to check the sleep by and the system's tick
// count to check the counter by. Windows passes Sleep,
// QueryPerformanceCounter (none where QueryPerformanceFrequency fails) and
// GetTickCount; host tests pass a fake clock whose sleeps end early or late
// and whose counter stands still on demand.
class WaitClock {
public:
    virtual ~WaitClock() = default;

    // Sleep(milliseconds) on the calling thread; may end early or late.
    virtual void sleep(unsigned milliseconds) = 0;
    // The counter now; only differences of two readings mean anything.
    virtual std::uint64_t ticks() = 0;
    // Fixed for the life of the process.
    virtual TickRate tickRate() = 0;
    // GetTickCount: milliseconds, moving in steps of the system's timer
    // tick (10 to 55 ms), wrapping at 2^32.
    virtual std::uint32_t tickCount() = 0;
};

// Sleeps, then sleeps again for what is left, until the counter says that
// `milliseconds` have passed since the call began, or the tick count
// proves it: the count has moved `milliseconds` since its first step after
// the call, so a counter that stands still ends the wait one tick and one
// sleep late at most. Without a counter only that proof ends the wait: one
// tick more than the wait, since a tick of 10 to 55 ms may step 1 ms after
// the call. A sleep that ran long is not made up for. Should both stand
// still, gives up once the sleeps asked for add up to STALLED_CLOCK_FACTOR
// times the wait plus STALLED_CLOCK_EXTRA_MS, so that the worker can always
// be stopped.
void waitAtLeast(WaitClock& clock, unsigned milliseconds);

// Where a wait began: the counter and the tick count at that moment.
struct WaitStart {
    std::uint64_t ticks;      // 0 without a counter
    std::uint32_t tickCount;
};
WaitStart beginWait(WaitClock& clock);

// The same wait, counted from `start` rather than from the call: the work
// done since `start` counts towards it, and the wait sleeps only for what
// is left (not at all when the work took the whole time).
void waitAtLeast(WaitClock& clock, unsigned milliseconds, const WaitStart& start);

constexpr unsigned STALLED_CLOCK_FACTOR = 10;
constexpr unsigned STALLED_CLOCK_EXTRA_MS = 100;

} // namespace zorik
