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

// Milliseconds the tick count proves to have passed since the wait began:
// the wait began somewhere inside the tick before the count's first step,
// so at least as much time has passed as the count moved since that step.
class TickCountProof {
public:
    explicit TickCountProof(std::uint32_t start) : m_start(start) {}

    std::uint32_t passed(std::uint32_t now)
    {
        if (!m_stepped && now != m_start) {
            m_stepped = true;
            m_firstStep = now;
        }
        return m_stepped ? now - m_firstStep : 0;
    }
    bool stepped() const { return m_stepped; }

private:
    std::uint32_t m_start;
    std::uint32_t m_firstStep = 0;
    bool m_stepped = false;
};

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

WaitStart beginWait(WaitClock& clock)
{
    const bool counter = clock.tickRate().perSecond != 0;
    const std::uint64_t ticks = counter ? clock.ticks() : 0;
    return {ticks, clock.tickCount()};
}

void waitAtLeast(WaitClock& clock, unsigned milliseconds)
{
    waitAtLeast(clock, milliseconds, beginWait(clock));
}

void waitAtLeast(WaitClock& clock, unsigned milliseconds, const WaitStart& begun)
{
    const TickRate rate = clock.tickRate();
    const bool counter = rate.perSecond != 0;
    const std::uint64_t start = begun.ticks;
    const std::uint64_t wanted = counter ? ticksIn(milliseconds, rate.perSecond) : 0;
    TickCountProof proof(begun.tickCount);
    const std::uint64_t sleepLimit =
        static_cast<std::uint64_t>(milliseconds) * STALLED_CLOCK_FACTOR + STALLED_CLOCK_EXTRA_MS;

    // Without a counter, short sleeps until the tick count's first step, so
    // that the proof starts right at it. With a counter, the first sleep is
    // the whole wait, less the whole milliseconds that have passed since
    // the start (the work done before the call); never less than nothing.
    std::uint64_t next = 1;
    if (counter) {
        const std::uint64_t passed = ticksPassed(clock, start, rate);
        if (passed >= wanted)
            return;
        const std::uint64_t passedMs = passed / rate.perSecond * 1000u + (passed % rate.perSecond) * 1000u / rate.perSecond;
        next = passedMs < milliseconds ? milliseconds - passedMs : 1;
    }
    std::uint64_t asked = 0;
    while (asked < sleepLimit) {
        if (next > sleepLimit - asked)
            next = sleepLimit - asked;
        asked += next;
        clock.sleep(static_cast<unsigned>(next));

        const std::uint32_t proven = proof.passed(clock.tickCount());
        if (proven >= milliseconds)
            return;
        const std::uint64_t provenLeft = proof.stepped() ? milliseconds - proven : 1;
        if (!counter) {
            next = provenLeft;
            continue;
        }
        const std::uint64_t passed = ticksPassed(clock, start, rate);
        if (passed >= wanted)
            return;
        next = millisecondsIn(wanted - passed, rate.perSecond);
        if (proof.stepped() && provenLeft < next)
            next = provenLeft;
    }
}

} // namespace zorik
