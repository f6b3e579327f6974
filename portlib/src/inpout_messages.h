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

} // namespace zorik
