#include "x64_open_gate.h"

#include "text_building.h"

namespace zorik {

namespace {

constexpr char THE_RIGHT_FILE[] = "it must be the 64-bit inpoutx64.dll of InpOut32";
constexpr char AS_ADMINISTRATOR[] =
    "Start the program once as administrator (right-click, Run as administrator): the driver is installed "
    "then, and later starts need no rights. If it still fails, Windows blocks the driver (for example "
    "Memory integrity, under Core isolation in Windows Security)";

const char* folderOrBesideTheLibrary(const InpOutAnswer& answer)
{
    return answer.folder[0] != '\0' ? answer.folder : "the folder of ZorikApi.dll";
}

const char* pathOrName(const InpOutAnswer& answer)
{
    return answer.path[0] != '\0' ? answer.path : INPOUTX64_LIBRARY;
}

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
    case InpOutState::NotLoadable:
        at = append(at, end, pathOrName(answer));
        at = append(at, end, " cannot be loaded (Windows error ");
        at = appendDecimal(at, end, answer.loadError);
        at = append(at, end, "): ");
        append(at, end, THE_RIGHT_FILE);
        break;
    case InpOutState::LacksFunction:
        at = append(at, end, pathOrName(answer));
        at = append(at, end, " lacks the function ");
        at = append(at, end, answer.missingFunction);
        at = append(at, end, ": ");
        append(at, end, THE_RIGHT_FILE);
        break;
    case InpOutState::DriverNotOpen:
        at = append(at, end, "inpoutx64.dll in ");
        at = append(at, end, folderOrBesideTheLibrary(answer));
        at = append(at, end, " cannot open its driver. ");
        append(at, end, AS_ADMINISTRATOR);
        break;
    }
}

} // namespace zorik
