// Zorik_Open: decides from the Windows family, and on the NT family from
// the Access setting, giveio's driver and InpOut32's library, whether and
// how the port may be used.
#pragma once

#include "channel_registers.h"
#include "platform.h"

namespace zorik {

inline constexpr char GIVEIO_DEVICE_PATH[] = "\\\\.\\giveio";
inline constexpr char FATAL_ERROR_CAPTION[] = "Zorik-Unit Fatal Error";
inline constexpr char GIVEIO_MISSING_TEXT[] = "Couldn't access giveio device";
inline constexpr char VERSION_MISMATCH_TEXT[] = "Windows version mismatch";

// Returns 1 when the ports may be used, 0 when not (after telling the
// operator why). A bad port setting is told before the Windows family is
// even asked. On the NT family: giveio where it answers (unless
// Access=inpout32), else inpout32.dll beside the library (unless
// Access=giveio), whose byte functions then carry every port byte.
// Records `mode` only on the NT family with a way to the ports found.
int openPorts(Platform& platform, ChannelRegisters& registers, int mode);

} // namespace zorik
