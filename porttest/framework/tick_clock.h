// The finest counter this Windows offers for checking a wait:
// QueryPerformanceCounter where QueryPerformanceFrequency says there is
// one, GetTickCount otherwise (both exist on every Windows since 95 and
// NT 3.1).
#pragma once

#include "loopback_waits.h"

#include <cstdint>

zorik::TickRate TickClockRate();
std::uint64_t TickClockNow();
