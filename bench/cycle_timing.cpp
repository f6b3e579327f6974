#include "cycle_timing.h"

#include <cmath>

namespace zorik::bench {
namespace {

// Distances between consecutive changes of each channel, with the number
// of cycles each spans.
template <class Visit>
void forEachGap(const std::vector<IndicatorChange>& changes, double period, Visit visit) {
    if (period <= 0)
        return;
    for (int channel = 0; channel < 3; ++channel) {
        const IndicatorChange* previous = nullptr;
        for (const IndicatorChange& change : changes) {
            if (change.channel != channel)
                continue;
            if (previous) {
                const double gap = change.atMillis - previous->atMillis;
                const long cycles = std::lround(gap / period);
                if (cycles >= 1)
                    visit(gap, cycles);
            }
            previous = &change;
        }
    }
}

} // namespace

std::vector<double> singleCyclePeriods(const std::vector<IndicatorChange>& changes,
                                       double meanPeriodMillis) {
    std::vector<double> periods;
    forEachGap(changes, meanPeriodMillis, [&](double gap, long cycles) {
        if (cycles == 1)
            periods.push_back(gap);
    });
    return periods;
}

double meanCyclePeriod(const std::vector<IndicatorChange>& changes, double roughPeriodMillis) {
    double total = 0;
    long cycles = 0;
    forEachGap(changes, roughPeriodMillis, [&](double gap, long spanned) {
        total += gap;
        cycles += spanned;
    });
    return cycles > 0 ? total / static_cast<double>(cycles) : 0;
}

std::optional<double> meanPeriodBetween(const std::vector<CycleSighting>& sightings,
                                        double fromMillis, double toMillis) {
    const CycleSighting* first = nullptr;
    const CycleSighting* last = nullptr;
    for (const CycleSighting& s : sightings) {
        if (s.seenMillis < fromMillis || s.seenMillis >= toMillis)
            continue;
        if (!first)
            first = &s;
        last = &s;
    }
    if (!first || last->count < first->count + 2)
        return std::nullopt;
    return (last->seenMillis - first->seenMillis) / static_cast<double>(last->count - first->count);
}

} // namespace zorik::bench
