// The library's setting as the system's profile functions read it from
// ZorikApi.ini in the folder of ZorikApi.dll itself.
#pragma once

#include "../port_settings.h"

namespace zorik {

// From DllMain: the file is found through the DLL's own module handle, not
// the current directory, which belongs to whatever program loaded it.
void rememberLibraryModule(void* module);

class IniPortSettings final : public PortSettings {
public:
    bool readBase(char (&value)[PORT_BASE_VALUE_CAPACITY]) override;
    const char* unicodeEncoding() override;
};

} // namespace zorik
