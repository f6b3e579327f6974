// How quickly Zorik's UI thread answers, seen from outside.
#pragma once

#include <optional>

#include "main_dialog.h"

namespace zorik::bench {

// Round trip of a message the dialog handles at once (WM_NULL, sent with a
// time limit), in milliseconds; nothing when it gave no answer in 3 s.
std::optional<double> pingMillis(const e2e::MainDialog& dialog);

// Clicks output switch `channel` (posted, as the mouse would queue it) and
// measures until its check state shows the change, in milliseconds;
// nothing when it did not show within 3 s. While a test runs the worker
// also sets the switch, once per cycle: a change it makes in the same
// moment would count as the click's, which makes the figure optimistic at
// worst by one poll.
std::optional<double> clickToShowMillis(const e2e::MainDialog& dialog, int channel);

} // namespace zorik::bench
