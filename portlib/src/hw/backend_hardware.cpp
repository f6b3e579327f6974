#include "../backend.h"
#include "../win/ini_port_settings.h"
#include "../win/windows_platform.h"
#include "port_instructions.h"

namespace zorik {

namespace {

IniPortSettings g_portSettings; // holds nothing: no initialisation at run time

} // namespace

PortIo& processPortIo()
{
    static PortInstructions io;
    return io;
}

Platform& processPlatform()
{
    static WindowsPlatform platform;
    return platform;
}

PortSettings& processPortSettings()
{
    return g_portSettings;
}

} // namespace zorik
