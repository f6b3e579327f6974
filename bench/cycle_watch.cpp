#include "cycle_watch.h"

#include <thread>

namespace zorik::bench {

void CycleWatch::watch(std::chrono::milliseconds duration, Clock::time_point origin) {
    int state[3];
    for (int c = 0; c < 3; ++c)
        state[c] = dialog_.checkState(e2e::outputId(c));
    const auto start = Clock::now();
    const auto end = start + duration;
    for (auto now = start; now < end; now = Clock::now()) {
        for (int c = 0; c < 3; ++c) {
            const int current = dialog_.checkState(e2e::outputId(c));
            if (current != state[c]) {
                changes_.push_back({c, millisBetween(origin, Clock::now())});
                state[c] = current;
            }
        }
        ++samples_;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    watchedMillis_ += millisBetween(start, Clock::now());
}

double CycleWatch::sampleIntervalMillis() const {
    return samples_ > 0 ? watchedMillis_ / static_cast<double>(samples_) : 0;
}

} // namespace zorik::bench
