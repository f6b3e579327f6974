#include "../backend.h"
#include "../win/windows_platform.h"
#include "port_instructions.h"

namespace zorik {

namespace {

PortInstructions g_io;
WindowsPlatform g_platform;

} // namespace

PortIo& processPortIo()
{
    return g_io;
}

Platform& processPlatform()
{
    return g_platform;
}

} // namespace zorik
