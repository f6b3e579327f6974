#include "port_location.h"

namespace zorik {

PortLocation locatePort(PortSettings* settings)
{
    PortLocation location;
    char value[PORT_BASE_VALUE_CAPACITY] = {};
    if (settings == nullptr)
        return location;
    // Refused like a bad value: the base the file exists to give is unknown.
    if (const char* encoding = settings->unicodeEncoding()) {
        location.usable = false;
        describeUnicodeSettingsFile(encoding, location.error);
        return location;
    }
    if (!settings->readBase(value))
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
