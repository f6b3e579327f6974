// A small, fast and fully deterministic pseudo-random generator
// (SplitMix64), so that a seeded run of the simulated unit repeats the same
// errors on every platform, which the C runtime's rand() does not promise.
#pragma once

#include <cstdint>

namespace zorik::sim {

class SplitMix {
public:
    explicit SplitMix(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, bound), bound at most 2^32.
    std::uint32_t below(std::uint64_t bound)
    {
        return static_cast<std::uint32_t>(((next() >> 32) * bound) >> 32);
    }

private:
    std::uint64_t state_;
};

} // namespace zorik::sim
