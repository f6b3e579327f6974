// A port that records every access and answers reads from a settable
// status byte.
#pragma once

#include "port_access.h"
#include "port_io.h"

#include <cstdint>
#include <vector>

namespace zorik::testing {

class RecordingPort : public PortIo {
public:
    std::uint8_t status = 0x00;
    std::vector<PortAccess> accesses;

    std::uint8_t readByte(std::uint16_t port) override
    {
        accesses.push_back({false, port, status});
        return status;
    }
    void writeByte(std::uint16_t port, std::uint8_t value) override
    {
        accesses.push_back({true, port, value});
    }

    std::vector<std::uint8_t> bytesWrittenTo(std::uint16_t port) const
    {
        std::vector<std::uint8_t> bytes;
        for (const auto& access : accesses)
            if (access.write && access.port == port)
                bytes.push_back(access.value);
        return bytes;
    }
};

} // namespace zorik::testing
