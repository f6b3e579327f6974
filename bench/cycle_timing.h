// Cycle periods from what an observer outside the program can see: when
// an output indicator changed, and which cycle number a log line carried
// when it showed. Plain C++, so that the arithmetic is tested on the host.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zorik::bench {

// Output indicator `channel` changed at `atMillis` (any common origin).
struct IndicatorChange {
    int channel;
    double atMillis;
};

// The worker sets output indicator c at the same point of every cycle, so
// two changes of one channel are a whole number of cycles apart: their
// distance over `meanPeriodMillis`, rounded. Changes less than half a
// period apart span no cycle and are skipped.
//
// Periods of single cycles: distances of changes one cycle apart.
std::vector<double> singleCyclePeriods(const std::vector<IndicatorChange>& changes,
                                       double meanPeriodMillis);
// Mean period over all changes: total distance over total cycles spanned,
// channel by channel, each distance rounded with `roughPeriodMillis`; 0
// when no two changes of a channel are a cycle apart.
double meanCyclePeriod(const std::vector<IndicatorChange>& changes, double roughPeriodMillis);

// A log line with cycle number `count` first seen at `seenMillis`.
struct CycleSighting {
    double seenMillis;
    std::uint64_t count;
};

// Mean period between the first and the last sighting seen within
// [fromMillis, toMillis); nothing when they are fewer than two cycles
// apart.
std::optional<double> meanPeriodBetween(const std::vector<CycleSighting>& sightings,
                                        double fromMillis, double toMillis);

} // namespace zorik::bench
