#include "ui_probe.h"

#include "figures.h"
#include "process_windows.h"

namespace zorik::bench {

std::optional<double> pingMillis(const e2e::MainDialog& dialog) {
    DWORD_PTR result = 0;
    const auto start = Clock::now();
    if (!SendMessageTimeoutA(dialog.window(), WM_NULL, 0, 0, SMTO_NORMAL, 3000, &result))
        return std::nullopt;
    return millisBetween(start, Clock::now());
}

std::optional<double> clickToShowMillis(const e2e::MainDialog& dialog, int channel) {
    const int id = e2e::outputId(channel);
    const int before = dialog.checkState(id);
    const auto start = Clock::now();
    dialog.click(id);
    bool shown = e2e::waitUntil([&] { return dialog.checkState(id) != before; }, e2e::Millis(3000),
                                e2e::Millis(1));
    if (!shown)
        return std::nullopt;
    return millisBetween(start, Clock::now());
}

} // namespace zorik::bench
