// The library's port setting, passed on to the channel logic unchanged,
// with the simulated unit moved to the ports it names: the simulated build
// honours ZorikApi.ini as the hardware build does.
#pragma once

#include "port_settings.h"
#include "simulated_unit.h"

namespace zorik::sim {

class PlacedUnitSettings final : public PortSettings {
public:
    PlacedUnitSettings(PortSettings& file, SimulatedUnit& unit) : file_(file), unit_(unit) {}

    bool readBase(char (&value)[PORT_BASE_VALUE_CAPACITY]) override
    {
        const bool present = file_.readBase(value);
        // A bad value leaves the unit where it is: no port is touched then.
        if (present) {
            if (const std::optional<std::uint16_t> base = parsePortBase(value))
                unit_.placeAt(*base);
        }
        return present;
    }
    bool readAccess(char (&value)[PORT_BASE_VALUE_CAPACITY]) override { return file_.readAccess(value); }
    const char* unicodeEncoding() override { return file_.unicodeEncoding(); }

private:
    PortSettings& file_;
    SimulatedUnit& unit_;
};

} // namespace zorik::sim
