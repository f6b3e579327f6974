#include "port_location.h"

namespace zorik {

PortLocation locatePort(PortSettings* settings)
{
    PortLocation location;
    char value[PORT_BASE_VALUE_CAPACITY] = {};
    if (settings == nullptr || !settings->readBase(value))
        return location;
    if (const std::optional<std::uint16_t> base = parsePortBase(value)) {
        location.dataPort = *base;
    } else {
        location.usable = false;
        describeBadPortBase(value, location.error);
    }
    return location;
}

} // namespace zorik
