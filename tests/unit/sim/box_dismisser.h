// Finds a message box shown by a given process (this one or a child),
// reads it and presses its OK button, so that a test never waits for an
// operator.
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>

namespace zorik::sim::testing {

struct DismissedBox {
    std::string caption;
    std::string text;
};

// Polls until a box of process `pid` appears, `stop` is set or `timeoutMs`
// has passed. Returns the box it dismissed, or nothing.
std::optional<DismissedBox> dismissBox(DWORD pid, const std::atomic<bool>& stop, DWORD timeoutMs);

} // namespace zorik::sim::testing
