// A millisecond clock that moves only when the test says so.
#pragma once

#include "millisecond_clock.h"

#include <atomic>
#include <cstdint>

namespace zorik::sim::testing {

class FakeClock final : public MillisecondClock {
public:
    explicit FakeClock(std::uint64_t startMs = 1000) : now_(startMs) {}

    std::uint64_t nowMs() override { return now_.load(); }
    void advance(std::uint64_t ms) { now_ += ms; }

private:
    std::atomic<std::uint64_t> now_;
};

} // namespace zorik::sim::testing
