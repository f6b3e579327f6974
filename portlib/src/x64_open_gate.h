// Zorik_Open of the x64 library. A 64-bit process has no in/out
// instructions of its own and no giveio: it reaches the ports only through
// InpOut32's 64-bit library, inpoutx64.dll, beside ZorikApi.dll.
#pragma once

#include "channel_registers.h"
#include "inpout_messages.h"
#include "platform.h"

namespace zorik {

inline constexpr char INPOUTX64_LIBRARY[] = "inpoutx64.dll";

// Returns 1 and records `mode` when inpoutx64.dll is there and its driver
// is open, after which every port byte goes through it. Otherwise 0, after
// one box under "Zorik-Unit Fatal Error" saying what to put where: a bad
// port setting first (as on every Windows), then Access=giveio, which no
// 64-bit process can use, then whatever became of the library. The
// library is asked under the lock every port byte takes, since the x64
// library also looks for it at the first port access.
int openPortsFor64BitProcess(Platform& platform, ChannelRegisters& registers, int mode);

// The box for `answer` (anything but Ready).
void describeInpOutX64Problem(const InpOutAnswer& answer, char (&message)[INPOUT_MESSAGE_CAPACITY]);

// The box for Access=giveio in the x64 library.
inline constexpr char X64_GIVEIO_REFUSED_TEXT[] =
    "ZorikApi.ini: Access=giveio cannot be used by a 64-bit program, which reaches the port only through "
    "InpOut32's inpoutx64.dll (Access=auto or Access=inpout32)";

} // namespace zorik
