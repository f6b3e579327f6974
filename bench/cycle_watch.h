// Times the loopback test's cycles from outside, by watching the output
// indicators of the running program (see cycle_timing.h for how changes
// become periods). An indicator changes only when the random pattern's
// bit does (half the cycles), so over three channels about three in four
// cycles yield a single-cycle figure.
#pragma once

#include <vector>

#include "cycle_timing.h"
#include "figures.h"
#include "main_dialog.h"

namespace zorik::bench {

class CycleWatch {
public:
    explicit CycleWatch(const e2e::MainDialog& dialog) : dialog_(dialog) {}

    // Samples the three output indicators about every millisecond, as fast
    // as the dialog answers, until `duration` has passed. Change times are
    // milliseconds since `origin`.
    void watch(std::chrono::milliseconds duration, Clock::time_point origin);

    const std::vector<IndicatorChange>& changes() const { return changes_; }
    // Average time between two samples, in milliseconds.
    double sampleIntervalMillis() const;

private:
    const e2e::MainDialog& dialog_;
    std::vector<IndicatorChange> changes_;
    long samples_ = 0;
    double watchedMillis_ = 0;
};

} // namespace zorik::bench
