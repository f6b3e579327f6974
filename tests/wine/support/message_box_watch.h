// Runs a call that may put up a modal message box on its own thread, looks
// at every box that thread shows, and answers each with OK, so a test can
// check what the operator would have seen without anyone at the screen.
#pragma once

#include <string>
#include <vector>

namespace zorik::wine {

struct SeenBox {
    std::string caption;
    std::string text;
    std::vector<int> visibleButtonIds;
    bool showsIcon = false;
    bool hasOwner = false;
    // The call had not returned yet while the box was on the screen.
    bool callWaitedForBox = false;
};

struct WatchedCall {
    // False when the call did not return in time; `result` is then
    // meaningless and the call's thread is left behind.
    bool returned = false;
    int result = 0;
    std::vector<SeenBox> boxes;
    // A box that would not go away when OK was pressed.
    bool boxStuck = false;
};

// Calls `call(argument)` on a new thread and waits up to `timeoutMs` for it
// to return, dismissing its boxes with OK as they appear.
WatchedCall callDismissingBoxes(int(__stdcall* call)(int), int argument, unsigned timeoutMs);

} // namespace zorik::wine
