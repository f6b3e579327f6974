// The port and the platform this build of the DLL talks to: the real ones
// in the hardware build, the simulated unit in the simulated build.
#pragma once

#include "platform.h"
#include "port_io.h"

namespace zorik {

PortIo& processPortIo();
Platform& processPlatform();

} // namespace zorik
