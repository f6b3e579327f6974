// The processor's own port instructions, for the hardware build.
#pragma once

#include "../port_io.h"

namespace zorik {

// Reads and writes go straight to `in`/`out`. Where the system has not
// granted this process port access (NT without giveio, Wine), the
// instruction faults; that fault is caught and the access skipped: a read
// then sees 0xFF, what an absent port's floating bus shows, and a write is
// lost.
class PortInstructions final : public PortIo {
public:
    std::uint8_t readByte(std::uint16_t port) override;
    void writeByte(std::uint16_t port, std::uint8_t value) override;
};

} // namespace zorik
