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
    return {0, 0};
}

std::uint64_t TickClockNow()
{
    LARGE_INTEGER now;
    if (performanceFrequency() != 0 && ::QueryPerformanceCounter(&now))
        return static_cast<std::uint64_t>(now.QuadPart);
    return 0;
}

bool TickClockKeepThreadOnOneProcessor()
{
    using GetProcessAffinityMaskFn = BOOL(WINAPI*)(HANDLE, PDWORD_PTR, PDWORD_PTR);
    using SetThreadAffinityMaskFn = DWORD_PTR(WINAPI*)(HANDLE, DWORD_PTR);
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr)
        return false;
    const auto processMask = reinterpret_cast<GetProcessAffinityMaskFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "GetProcessAffinityMask")));
    const auto setThreadMask = reinterpret_cast<SetThreadAffinityMaskFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetThreadAffinityMask")));
    DWORD_PTR allowed = 0;
    DWORD_PTR system = 0;
    if (processMask == nullptr || setThreadMask == nullptr ||
        !processMask(::GetCurrentProcess(), &allowed, &system) || allowed == 0)
        return false;
    return setThreadMask(::GetCurrentThread(), allowed & (~allowed + 1)) != 0;
}
