// /rate:5 on the simulated unit's model, as the worker asks the rule before
// each cycle: a healthy unit passes after exactly n = 59 cycles on every
// seed; a stuck-off input fails once all three findings are named, at a
// median of at most 30 cycles and always before 3n (the rule's own table,
// Station.RateRuleEndsTheTest, has the 3n bound).
#include "simulated_cycle.h"

#include "diagnosis.h"
#include "proof_rate.h"
#include "test_tally.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace zorik;

namespace {

class Listeners final : public ReadingListener {
public:
    void reading(const Reading& reading) override
    {
        tally.reading(reading);
        diagnosis.reading(reading);
    }
    TestTally tally;
    Diagnosis diagnosis;
};

RateRun runAtRate(const char* settings, std::uint64_t seed, std::uint32_t rate, Listeners& listeners)
{
    SimulatedCycle unit(settings, seed);
    const ProofRule rule(rate, listeners.tally, listeners.diagnosis);
    RateRun run;
    while ((run.ended = rule.ended(run.cycles)) == RunEnded::None) {
        unit.run(listeners);
        ++run.cycles;
    }
    return run;
}

} // namespace

TEST(StationRate, HealthyProvedAt59AndStuckOffNamedSoon)
{
    constexpr int kSeeds = 300;
    std::vector<std::uint32_t> failing;
    for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
        SCOPED_TRACE(seed);
        Listeners healthy;
        const RateRun pass = runAtRate("", seed, 500, healthy);
        EXPECT_EQ(pass.ended, RunEnded::Proved);
        EXPECT_EQ(pass.cycles, 59u);

        Listeners stuck;
        const RateRun fail = runAtRate("stuck-off=1", seed, 500, stuck);
        EXPECT_EQ(fail.ended, RunEnded::Finding);
        EXPECT_EQ(stuck.diagnosis.input(0).finding, Finding::Ok);
        EXPECT_EQ(stuck.diagnosis.input(1).finding, Finding::StuckOff);
        EXPECT_EQ(stuck.diagnosis.input(2).finding, Finding::Ok);
        EXPECT_LT(fail.cycles, 177u);
        failing.push_back(fail.cycles);
    }
    std::sort(failing.begin(), failing.end());
    EXPECT_LE(failing[failing.size() / 2], 30u);
}
