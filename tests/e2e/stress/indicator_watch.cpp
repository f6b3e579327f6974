#include "indicator_watch.h"

#include <algorithm>
#include <chrono>

namespace zorik::e2e {

int IndicatorChanges::most() const {
    return *std::max_element(perChannel.begin(), perChannel.end());
}

IndicatorChanges watchOutputIndicators(const MainDialog& dialog, Millis window) {
    IndicatorChanges changes;
    std::array<int, 3> last{};
    for (int c = 0; c < 3; ++c)
        last[c] = dialog.checkState(outputId(c));
    // A step holds its level for at least 110 ms; sampling every 5 ms sees
    // every one.
    waitUntil(
        [&] {
            for (int c = 0; c < 3; ++c) {
                const int now = dialog.checkState(outputId(c));
                if (now != last[c]) {
                    ++changes.perChannel[c];
                    last[c] = now;
                }
            }
            return false;
        },
        window, Millis(5));
    return changes;
}

} // namespace zorik::e2e
