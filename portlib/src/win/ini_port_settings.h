// The library's setting as the system's profile functions read it from
// ZorikApi.ini in the folder of ZorikApi.dll itself.
#pragma once

#include "../port_settings.h"
#include "module_folder.h"

namespace zorik {

class IniPortSettings final : public PortSettings {
public:
    bool readBase(char (&value)[PORT_BASE_VALUE_CAPACITY]) override;
    bool readAccess(char (&value)[PORT_BASE_VALUE_CAPACITY]) override;
    const char* unicodeEncoding() override;

private:
    static bool readKey(const char* key, char (&value)[PORT_BASE_VALUE_CAPACITY]);
};

} // namespace zorik
