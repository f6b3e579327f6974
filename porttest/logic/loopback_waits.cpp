#include "loopback_waits.h"

namespace zorik {

namespace {

// Ticks in `milliseconds`, rounded up. Split at whole seconds so that no
// product can overflow, whatever the counter's rate.
std::uint64_t ticksIn(unsigned milliseconds, std::uint64_t perSecond)
{
    return milliseconds / 1000u * perSecond + ((milliseconds % 1000u) * perSecond + 999u) / 1000u;
}

// Whole milliseconds in `ticks`, rounded up, split the same way.
std::uint64_t millisecondsIn(std::uint64_t ticks, std::uint64_t perSecond)
{
    return ticks / perSecond * 1000u + ((ticks % perSecond) * 1000u + perSecond - 1) / perSecond;
}

// Ticks since `start`. Unsigned subtraction within the counter's width: a
// wrap between the two readings still gives the ticks that passed. A
// reading before the start (the performance counters of some multi-core XP
// machines differ from core to core) comes out as more than half the
// counter's range: it counts as no time passed, never as the end of the
// wait.
std::uint64_t ticksPassed(WaitClock& clock, std::uint64_t start, const TickRate& rate)
{
    const std::uint64_t passed = (clock.ticks() - start) & rate.mask;
    return passed > rate.mask / 2 ? 0 : passed;
}

} // namespace

void waitAtLeast(WaitClock& clock, unsigned milliseconds)
{
    waitAtLeast(clock, milliseconds, nullptr);
}

void waitAtLeast(WaitClock& clock, unsigned milliseconds, const std::function<void()>& meanwhile)
{
    const TickRate rate = clock.tickRate();
    const std::uint64_t start = clock.ticks();
    const std::uint64_t wanted = ticksIn(milliseconds, rate.perSecond);
    const std::uint64_t sleepLimit =
        static_cast<std::uint64_t>(milliseconds) * STALLED_CLOCK_FACTOR + STALLED_CLOCK_EXTRA_MS;

    // Without `meanwhile` the first sleep is the whole wait; with it, the
    // whole wait less the whole milliseconds it took.
    std::uint64_t asked = milliseconds;
    if (meanwhile) {
        meanwhile();
        const std::uint64_t passed = ticksPassed(clock, start, rate);
        if (passed >= wanted)
            return;
        asked -= passed / rate.perSecond * 1000u + (passed % rate.perSecond) * 1000u / rate.perSecond;
    }
    clock.sleep(static_cast<unsigned>(asked));
    for (;;) {
        const std::uint64_t passed = ticksPassed(clock, start, rate);
        if (passed >= wanted || asked >= sleepLimit)
            return;
        std::uint64_t left = millisecondsIn(wanted - passed, rate.perSecond);
        if (left > sleepLimit - asked)
            left = sleepLimit - asked;
        asked += left;
        clock.sleep(static_cast<unsigned>(left));
    }
}

} // namespace zorik
