// The loopback worker's unit, clock and random source on Windows: ZorikApi,
// Sleep, GetLocalTime and the C runtime's rand.
#pragma once

#include "loopback_services.h"

class WindowsLoopbackServices : public zorik::LoopbackServices {
public:
    void writeOutput(int channel, int level) override;
    int readInput(int channel) override;
    void sleep(unsigned milliseconds) override;
    zorik::LocalTime localTime() override;
    int random() override;
};
