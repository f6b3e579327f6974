// Zorik_Open: decides from the Windows family whether the port may be used.
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
// even asked. Records `mode` only on the NT family with the driver found.
int openPorts(Platform& platform, ChannelRegisters& registers, int mode);

} // namespace zorik
