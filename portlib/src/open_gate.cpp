#include "open_gate.h"

#include "inpout_messages.h"

namespace zorik {

namespace {

// The NT family without giveio's grant (or told to do without it):
// InpOut32's library beside ZorikApi.dll, whose driver reaches the ports
// on every Windows giveio cannot load on.
int openThroughInpOut(Platform& platform, ChannelRegisters& registers, int mode, AccessSetting access)
{
    const InpOutAnswer answer = platform.openInpOut();
    if (answer.state == InpOutState::Ready && answer.port != nullptr) {
        registers.routeThrough(*answer.port);
        registers.setOpenMode(mode);
        return 1;
    }
    const bool wow64 = answer.state == InpOutState::Missing && platform.isWow64Process();
    if (answer.state == InpOutState::Missing && !wow64 && access == AccessSetting::Auto) {
        // A 32-bit Windows without either: exactly the box it always had.
        platform.showFatalError(GIVEIO_MISSING_TEXT);
        return 0;
    }
    char message[INPOUT_MESSAGE_CAPACITY];
    describeInpOutProblem(answer, wow64, access, message);
    platform.showFatalError(message);
    return 0;
}

} // namespace

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
        // giveio first, where it may be used: where it answers, nothing of
        // InpOut32 is loaded.
        const AccessSetting access = registers.accessSetting();
        if (access != AccessSetting::InpOut32 && platform.probeGiveio()) {
            registers.routeThroughOwnPort();
            registers.setOpenMode(mode);
            return 1;
        }
        if (access == AccessSetting::Giveio) {
            platform.showFatalError(GIVEIO_MISSING_TEXT);
            return 0;
        }
        return openThroughInpOut(platform, registers, mode, access);
    }

    platform.showFatalError(VERSION_MISMATCH_TEXT);
    return 0;
}

} // namespace zorik
