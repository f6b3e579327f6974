// The one seam between the channel logic and the port: read or write one
// byte at an I/O port number.
#pragma once

#include <cstdint>

namespace zorik {

class PortIo {
public:
    virtual std::uint8_t readByte(std::uint16_t port) = 0;
    virtual void writeByte(std::uint16_t port, std::uint8_t value) = 0;

protected:
    // Never deleted through the seam: a virtual destructor would tie the
    // DLL to the C++ runtime's operator delete.
    ~PortIo() = default;
};

} // namespace zorik
