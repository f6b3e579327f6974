// How a script run under the port emulator talks to it: debug strings,
// which the debugger receives in order with the port accesses.
#pragma once

namespace zorik::wine {

// Every debug string the emulator listens to starts with this.
inline constexpr char MARKER_PREFIX[] = "zorik-emulator:";
// "status XX" (hex) sets the byte the status register answers from now on.
inline constexpr char STATUS_COMMAND[] = "status ";
// "step NAME" starts the step that the following port accesses belong to.
inline constexpr char STEP_COMMAND[] = "step ";

} // namespace zorik::wine
