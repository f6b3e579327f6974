// The one seam between the channel logic and the port: read or write one
// byte at an I/O port number.
#pragma once

#include <cstdint>

namespace zorik {

class PortIo {
public:
    virtual ~PortIo() = default;
    virtual std::uint8_t readByte(std::uint16_t port) = 0;
    virtual void writeByte(std::uint16_t port, std::uint8_t value) = 0;
};

} // namespace zorik
