// Where the simulated unit learns the time: a monotonic millisecond count.
// Tests pass a clock they move by hand.
#pragma once

#include <cstdint>

namespace zorik::sim {

class MillisecondClock {
public:
    virtual ~MillisecondClock() = default;
    // Never goes backwards; the origin is arbitrary.
    virtual std::uint64_t nowMs() = 0;
};

class SteadyClock final : public MillisecondClock {
public:
    std::uint64_t nowMs() override;
};

} // namespace zorik::sim
