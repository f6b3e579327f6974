// Where the unit's two registers are, settled once from the library's
// setting.
#pragma once

#include "access_setting.h"
#include "port_base.h"
#include "port_settings.h"

#include <cstdint>

namespace zorik {

// Without a setting: LPT1 on almost every PC.
inline constexpr std::uint16_t DATA_PORT = 0x378;   // output c is bit c
inline constexpr std::uint16_t STATUS_PORT = 0x379; // input c is bit c + 4

struct PortLocation {
    // False after a bad setting: then no port may be touched at all, since
    // a wrong port can upset other hardware and 0x378 would be a guess.
    bool usable = true;
    std::uint16_t dataPort = DATA_PORT; // the status register is the next port
    AccessSetting access = AccessSetting::Auto; // the NT family's way to the ports
    char error[PORT_BASE_ERROR_CAPACITY] = {};  // the operator's message when not usable
};

// No settings, or none given: the port at 0x378.
PortLocation locatePort(PortSettings* settings);

} // namespace zorik
