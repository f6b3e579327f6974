#include "../backend.h"
#include "../win/windows_platform.h"
#include "port_instructions.h"

namespace zorik {

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

} // namespace zorik
