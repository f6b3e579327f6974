#include "open_gate.h"

namespace zorik {

int openPorts(Platform& platform, ChannelRegisters& registers, int mode)
{
    // A port the operator has not located cannot be opened on any Windows.
    if (const char* error = registers.portSettingError()) {
        platform.showFatalError(error);
        return 0;
    }

    // A failed version query tells us no family at all, which is the same
    // answer as an unknown one.
    const std::uint32_t id = platform.platformId().value_or(0);

    if (id == PLATFORM_WIN32_WINDOWS)
        return 1; // 9x lets every process use the ports; the mode is not recorded.

    if (id == PLATFORM_WIN32_NT) {
        if (!platform.probeGiveio()) {
            platform.showFatalError(GIVEIO_MISSING_TEXT);
            return 0;
        }
        registers.setOpenMode(mode);
        return 1;
    }

    platform.showFatalError(VERSION_MISMATCH_TEXT);
    return 0;
}

} // namespace zorik
