// The port and the platform this build of the DLL talks to: the real ones
// in the hardware build, the simulated unit in the simulated build; and
// where the port's setting comes from.
#pragma once

#include "platform.h"
#include "port_io.h"
#include "port_settings.h"

namespace zorik {

PortIo& processPortIo();
Platform& processPlatform();
PortSettings& processPortSettings();

} // namespace zorik
