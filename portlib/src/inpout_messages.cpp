#include "inpout_messages.h"

#include "text_building.h"

namespace zorik {

namespace {

constexpr char BESIDE_THE_LIBRARY[] = "the folder of ZorikApi.dll";
constexpr char THE_RIGHT_FILE[] = "it must be the 32-bit inpout32.dll of InpOut32, also on 64-bit Windows";

const char* folderOrBesideTheLibrary(const InpOutAnswer& answer)
{
    return answer.folder[0] != '\0' ? answer.folder : BESIDE_THE_LIBRARY;
}

const char* pathOrName(const InpOutAnswer& answer)
{
    return answer.path[0] != '\0' ? answer.path : "inpout32.dll";
}

} // namespace

void describeInpOutProblem(const InpOutAnswer& answer, bool wow64, AccessSetting access,
                           char (&message)[INPOUT_MESSAGE_CAPACITY])
{
    char* const end = message + INPOUT_MESSAGE_CAPACITY;
    char* at = message;
    *at = '\0';
    switch (answer.state) {
    case InpOutState::Ready:
        break;
    case InpOutState::Missing:
        if (wow64) {
            // The giveio text cannot help here: no 64-bit Windows loads it.
            at = append(at, end, "This is 64-bit Windows, which cannot load the giveio driver: put the 32-bit "
                                 "inpout32.dll of InpOut32 in ");
            at = append(at, end, folderOrBesideTheLibrary(answer));
            append(at, end, " (beside ZorikApi.dll) and start Zorik once as administrator");
        } else {
            at = append(at, end, "inpout32.dll is not in ");
            at = append(at, end, folderOrBesideTheLibrary(answer));
            at = append(at, end, access == AccessSetting::InpOut32 ? " (ZorikApi.ini: Access=inpout32)" : "");
            append(at, end, ": put the 32-bit inpout32.dll of InpOut32 there, beside ZorikApi.dll");
        }
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
        at = append(at, end, "inpout32.dll in ");
        at = append(at, end, folderOrBesideTheLibrary(answer));
        append(at, end, " cannot open its driver. Start Zorik once as administrator (right-click, Run as "
                        "administrator): the driver is installed then, and later starts need no rights. If "
                        "it still fails, Windows blocks the driver (for example Memory integrity, under Core "
                        "isolation in Windows Security)");
        break;
    }
}

} // namespace zorik
