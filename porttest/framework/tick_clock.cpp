#include "tick_clock.h"

#include <windows.h>

namespace {

// The counter's rate, 0 when the system has no performance counter. The
// answer does not change while the system runs, so rate and readings
// always come from the same counter.
std::uint64_t performanceFrequency()
{
    LARGE_INTEGER frequency;
    if (!::QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0)
        return 0;
    return static_cast<std::uint64_t>(frequency.QuadPart);
}

} // namespace

zorik::TickRate TickClockRate()
{
    const std::uint64_t frequency = performanceFrequency();
    if (frequency != 0)
        return {frequency, ~std::uint64_t{0}};
    return {1000, 0xFFFFFFFFu};
}

std::uint64_t TickClockNow()
{
    LARGE_INTEGER now;
    if (performanceFrequency() != 0 && ::QueryPerformanceCounter(&now))
        return static_cast<std::uint64_t>(now.QuadPart);
    return ::GetTickCount();
}
