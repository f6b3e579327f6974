// Everything the loopback worker uses besides the dialog: the unit (through
// ZorikApi), the clocks and the random source. The program passes
// Zorik_Write / Zorik_Read / Sleep and QueryPerformanceCounter /
// GetLocalTime / rand; host tests pass a fake clock that records waits
// instead of sleeping and a scripted unit.
#pragma once

#include "loopback_waits.h"

namespace zorik {

struct LocalTime {
    int hour;   // 0 to 23
    int minute; // 0 to 59
    int second; // 0 to 59
};

class LoopbackServices : public WaitClock {
public:
    virtual ~LoopbackServices() = default;

    // Zorik_Write(channel, level): level 1 on, 0 off.
    virtual void writeOutput(int channel, int level) = 0;
    // Zorik_Read(channel): 1 or 0.
    virtual int readInput(int channel) = 0;

    // The local time of day, as GetLocalTime reports it.
    virtual LocalTime localTime() = 0;
    // A non-negative pseudo-random value, as rand() returns; never seeded.
    virtual int random() = 0;
};

} // namespace zorik
