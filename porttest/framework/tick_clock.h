// The finest counter this Windows offers for checking a wait:
// QueryPerformanceCounter where QueryPerformanceFrequency says there is
// one (it exists on every Windows since 95 and NT 3.1); the waits check it
// against GetTickCount.
#pragma once

#include "loopback_waits.h"

#include <cstdint>

// {0, 0} when the system has no performance counter.
zorik::TickRate TickClockRate();
// 0 when the system has no performance counter.
std::uint64_t TickClockNow();

// Some multi-core machines give each core a performance counter of its
// own, and the counters disagree: a thread moved from one core to another
// sees the counter jump forward (a wait ends early) or stand still (a wait
// stretches). As Windows' guidance for the counter advises, keeps the
// calling thread on one processor, the first the process may use, for the
// rest of its life. The 9x family lacks the affinity functions (they are
// looked up at run time) and runs on one processor anyway. False where the
// thread could not be kept on one.
bool TickClockKeepThreadOnOneProcessor();
