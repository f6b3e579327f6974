#include "inpout_messages.h"

#include "text_building.h"

namespace zorik {

namespace {

constexpr InpOutWording INPOUT32_WORDING{
    "inpout32.dll", "it must be the 32-bit inpout32.dll of InpOut32, also on 64-bit Windows",
    "Start Zorik" ZORIK_ONCE_AS_ADMINISTRATOR};

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
    default:
        describeUnusableInpOut(answer, INPOUT32_WORDING, at, end);
        break;
    }
}

} // namespace zorik
