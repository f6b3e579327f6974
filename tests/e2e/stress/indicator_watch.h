// Watching the output indicators from outside for a while: only a running
// loop changes them when nobody clicks, and one loop changes each at most
// once per cycle. Counting the changes tells how many loops drive them.
#pragma once

#include <array>

#include "main_dialog.h"
#include "wait_until.h"

namespace zorik::e2e {

struct IndicatorChanges {
    std::array<int, 3> perChannel{};
    int total() const { return perChannel[0] + perChannel[1] + perChannel[2]; }
    int most() const;
};

// Samples the three output indicators every few milliseconds for `window`
// and counts the changes of each.
IndicatorChanges watchOutputIndicators(const MainDialog& dialog, Millis window);

} // namespace zorik::e2e
