// The loopback worker's unit, clocks and random source on Windows: ZorikApi,
// Sleep checked by the performance counter and GetTickCount, GetLocalTime
// and the C runtime's rand.
#pragma once

#include "loopback_services.h"

class WindowsLoopbackServices : public zorik::LoopbackServices {
public:
    void writeOutput(int channel, int level) override;
    int readInput(int channel) override;
    void sleep(unsigned milliseconds) override;
    std::uint64_t ticks() override;
    zorik::TickRate tickRate() override;
    std::uint32_t tickCount() override;
    zorik::LocalTime localTime() override;
    int random() override;
};
