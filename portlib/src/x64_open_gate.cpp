#include "x64_open_gate.h"

#include "text_building.h"

namespace zorik {

namespace {

constexpr InpOutWording INPOUTX64_WORDING{INPOUTX64_LIBRARY, "it must be the 64-bit inpoutx64.dll of InpOut32",
                                          "Start the program" ZORIK_ONCE_AS_ADMINISTRATOR};

} // namespace

int openPortsFor64BitProcess(Platform& platform, ChannelRegisters& registers, int mode)
{
    if (const char* error = registers.portSettingError()) {
        platform.showFatalError(error);
        return 0;
    }
    if (registers.accessSetting() == AccessSetting::Giveio) {
        platform.showFatalError(X64_GIVEIO_REFUSED_TEXT);
        return 0;
    }
    const InpOutAnswer answer = registers.askForInpOut(platform);
    if (answer.state == InpOutState::Ready && answer.port != nullptr) {
        registers.routeThrough(*answer.port);
        registers.setOpenMode(mode);
        return 1;
    }
    char message[INPOUT_MESSAGE_CAPACITY];
    describeInpOutX64Problem(answer, message);
    platform.showFatalError(message);
    return 0;
}

void describeInpOutX64Problem(const InpOutAnswer& answer, char (&message)[INPOUT_MESSAGE_CAPACITY])
{
    char* const end = message + INPOUT_MESSAGE_CAPACITY;
    char* at = message;
    *at = '\0';
    switch (answer.state) {
    case InpOutState::Ready:
        break;
    case InpOutState::Missing:
        at = append(at, end, "inpoutx64.dll is not in ");
        at = append(at, end, folderOrBesideTheLibrary(answer));
        append(at, end, ": a 64-bit program reaches the port only through InpOut32. Put the 64-bit "
                        "inpoutx64.dll of InpOut32 there, beside this x64 ZorikApi.dll, and start the "
                        "program once as administrator");
        break;
    default:
        describeUnusableInpOut(answer, INPOUTX64_WORDING, at, end);
        break;
    }
}

} // namespace zorik
