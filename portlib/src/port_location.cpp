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
    if (settings->readBase(value)) {
        if (const std::optional<std::uint16_t> base = parsePortBase(value)) {
            location.dataPort = *base;
        } else {
            location.usable = false;
            describeBadPortBase(value, location.error);
            return location;
        }
    }
    // A way the operator did not ask for is refused like a port: guessing
    // auto for a misspelt giveio would load a DLL that was meant to stay
    // unloaded.
    if (settings->readAccess(value)) {
        if (const std::optional<AccessSetting> access = parseAccessSetting(value)) {
            location.access = *access;
        } else {
            location.usable = false;
            describeBadAccessSetting(value, location.error);
        }
    }
    return location;
}

} // namespace zorik
