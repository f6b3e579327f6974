// The parts of the InpOut boxes that the 32-bit and the x64 library share,
// in a file of their own: each image links only the parts it calls.
#include "inpout_messages.h"

#include "text_building.h"

namespace zorik {

const char* folderOrBesideTheLibrary(const InpOutAnswer& answer)
{
    return answer.folder[0] != '\0' ? answer.folder : "the folder of ZorikApi.dll";
}

void describeUnusableInpOut(const InpOutAnswer& answer, const InpOutWording& wording, char* at, char* end)
{
    if (answer.state == InpOutState::DriverNotOpen) {
        at = append(at, end, wording.library);
        at = append(at, end, " in ");
        at = append(at, end, folderOrBesideTheLibrary(answer));
        at = append(at, end, " cannot open its driver. ");
        append(at, end, wording.driverAdvice);
        return;
    }
    at = append(at, end, answer.path[0] != '\0' ? answer.path : wording.library);
    if (answer.state == InpOutState::NotLoadable) {
        at = append(at, end, " cannot be loaded (Windows error ");
        at = appendDecimal(at, end, answer.loadError);
        at = append(at, end, ")");
    } else {
        at = append(at, end, " lacks the function ");
        at = append(at, end, answer.missingFunction);
    }
    at = append(at, end, ": ");
    append(at, end, wording.rightFile);
}

} // namespace zorik
