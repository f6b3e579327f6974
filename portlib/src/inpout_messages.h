// What the operator reads when InpOut32's library cannot give the ports:
// plain ASCII English under "Zorik-Unit Fatal Error", like the library's
// other boxes, each saying what to do.
#pragma once

#include "access_setting.h"
#include "platform.h"

#include <cstddef>

namespace zorik {

// A full path (under MAX_PATH) and the longest of the texts.
inline constexpr std::size_t INPOUT_MESSAGE_CAPACITY = 720;

// The box for `answer` (anything but Ready). `wow64`: the process runs on
// 64-bit Windows. A missing library with Access=auto on a 32-bit Windows
// is not InpOut's business: the caller shows giveio's own text then.
void describeInpOutProblem(const InpOutAnswer& answer, bool wow64, AccessSetting access,
                           char (&message)[INPOUT_MESSAGE_CAPACITY]);

// How the two libraries' boxes differ for InpOut32's file: its name when
// the answer holds no path, what it must be, and what to do when its
// driver does not open.
struct InpOutWording {
    const char* library;
    const char* rightFile;
    const char* driverAdvice;
};

// The end of both libraries' driver advice, after "Start <who>".
#define ZORIK_ONCE_AS_ADMINISTRATOR                                                                              \
    " once as administrator (right-click, Run as administrator): the driver is installed then, and later "     \
    "starts need no rights. If it still fails, Windows blocks the driver (for example Memory integrity, under " \
    "Core isolation in Windows Security)"

// Where the library looked: the answer's folder, or where that is.
const char* folderOrBesideTheLibrary(const InpOutAnswer& answer);

// From `at` on, the box for a file that is there but cannot give the
// ports: `answer` is NotLoadable, LacksFunction or DriverNotOpen.
void describeUnusableInpOut(const InpOutAnswer& answer, const InpOutWording& wording, char* at, char* end);

} // namespace zorik
