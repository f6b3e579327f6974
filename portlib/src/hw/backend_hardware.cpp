#include "../backend.h"
#include "../win/ini_port_settings.h"
#include "../win/windows_platform.h"
#include "port_instructions.h"

namespace zorik {

namespace {

PortInstructions g_io;
WindowsPlatform g_platform;
IniPortSettings g_portSettings;

} // namespace

PortIo& processPortIo()
{
    return g_io;
}

Platform& processPlatform()
{
    return g_platform;
}

PortSettings& processPortSettings()
{
    return g_portSettings;
}

} // namespace zorik
