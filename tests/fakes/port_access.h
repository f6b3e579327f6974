// One access to an I/O port, as the test doubles of the port record it.
#pragma once

#include <cstdint>

namespace zorik::testing {

struct PortAccess {
    bool write;
    std::uint16_t port;
    std::uint8_t value;
    bool operator==(const PortAccess& other) const
    {
        return write == other.write && port == other.port && value == other.value;
    }
};

} // namespace zorik::testing
