// The loopback test's cycle driven by hand against the simulated unit's
// model on a fake clock (write, 10 ms, read, 100 ms per channel), each
// reading made as the worker makes it and published to a listener: what
// the /rate rule decides, without Wine and without waiting.
#pragma once

#include "channel_registers.h"
#include "proof_rate.h"
#include "fake_clock.h"
#include "reading.h"
#include "sim_settings.h"
#include "simulated_unit.h"
#include "split_mix.h"

#include <string>

class SimulatedCycle {
public:
    SimulatedCycle(const std::string& settings, std::uint64_t seed)
        : unit_(settingsFor(settings, seed), clock_), patterns_(seed * 0x2545F4914F6CDD1Dull + 11)
    {
    }

    void run(zorik::ReadingListener& listener)
    {
        ++cycle_;
        const unsigned pattern = static_cast<unsigned>(patterns_.below(8));
        for (int c = 0; c < 3; ++c) {
            const unsigned bit = 1u << c;
            const int level = (pattern & bit) ? 1 : 0;
            switches_ = (switches_ & ~bit) | (level ? bit : 0u);
            registers_.write(c, level);
            clock_.advance(10);
            zorik::Reading reading;
            reading.cycle = cycle_;
            reading.channel = c;
            reading.outputs = switches_;
            driven_ |= bit;
            reading.outputsDriven = driven_;
            reading.input = registers_.read(c) != 0 ? 1 : 0;
            reading.previousOutput = previous_[c];
            reading.disagreement = reading.input != level;
            reading.lineOutput = level;
            reading.lineInput = reading.input;
            previous_[c] = level;
            listener.reading(reading);
            clock_.advance(100);
        }
    }

private:
    static zorik::sim::SimSettings settingsFor(const std::string& text, std::uint64_t seed)
    {
        zorik::sim::SimSettings settings = zorik::sim::parseSimSettings(text).settings.value_or(zorik::sim::SimSettings{});
        settings.seed = seed;
        return settings;
    }

    zorik::sim::testing::FakeClock clock_;
    zorik::sim::SimulatedUnit unit_;
    zorik::ChannelRegisters registers_{unit_};
    zorik::sim::SplitMix patterns_;
    std::uint32_t cycle_ = 0;
    unsigned switches_ = 0;
    unsigned driven_ = 0;
    int previous_[3] = {-1, -1, -1};
};

// The tally and the diagnosis as the program keeps them, and the /rate
// rule on them: the cycles a unit takes and how it ends.
struct RateRun {
    std::uint32_t cycles = 0;
    zorik::RunEnded ended = zorik::RunEnded::None;
};
