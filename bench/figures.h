// Small statistics for the figures the benchmarks print.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace zorik::bench {

using Clock = std::chrono::steady_clock;

inline double millisBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The value below which `fraction` of the samples lie (nearest rank); 0
// for no samples.
inline double percentile(std::vector<double> samples, double fraction) {
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    auto rank = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(rank, samples.size() - 1)];
}

inline double median(const std::vector<double>& samples) { return percentile(samples, 0.5); }

inline double mean(const std::vector<double>& samples) {
    double sum = 0;
    for (double sample : samples)
        sum += sample;
    return samples.empty() ? 0 : sum / static_cast<double>(samples.size());
}

inline double worst(const std::vector<double>& samples) {
    return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
}

} // namespace zorik::bench
