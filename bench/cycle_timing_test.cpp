// The arithmetic that turns indicator changes and log sightings into cycle
// periods: cycles told apart by rounding, channels kept apart, windows.
#include "cycle_timing.h"

#include <gtest/gtest.h>

using namespace zorik::bench;

namespace {

TEST(SingleCyclePeriods, TakesOnlyChangesOneCycleApart) {
    // Channel 0 changes in cycles 0, 1, 3 and 4 of a 330 ms cycle, with
    // the second cycle 12 ms late.
    const std::vector<IndicatorChange> changes = {
        {0, 0.0}, {0, 342.0}, {0, 1002.0}, {0, 1332.0}};
    const auto periods = singleCyclePeriods(changes, 335.0);
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_DOUBLE_EQ(periods[0], 342.0);
    EXPECT_DOUBLE_EQ(periods[1], 330.0);
}

TEST(SingleCyclePeriods, KeepsChannelsApart) {
    // Channels 1 and 2 change 110 and 220 ms into the cycle; only changes
    // of the same channel measure a period.
    const std::vector<IndicatorChange> changes = {
        {0, 0.0}, {1, 110.0}, {2, 220.0}, {0, 331.0}, {2, 552.0}, {1, 770.0}};
    const auto periods = singleCyclePeriods(changes, 331.0);
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_DOUBLE_EQ(periods[0], 331.0); // channel 0
    EXPECT_DOUBLE_EQ(periods[1], 332.0); // channel 2; channel 1 spans two cycles
}

TEST(SingleCyclePeriods, SkipsChangesWithinOneCycle) {
    // An operator's click between two of the worker's writes changes the
    // indicator twice within a cycle: no period in that.
    const std::vector<IndicatorChange> changes = {{0, 0.0}, {0, 40.0}, {0, 370.0}};
    const auto periods = singleCyclePeriods(changes, 330.0);
    ASSERT_EQ(periods.size(), 1u);
    EXPECT_DOUBLE_EQ(periods[0], 330.0);
}

TEST(SingleCyclePeriods, NothingWithoutAPeriodOrChanges) {
    EXPECT_TRUE(singleCyclePeriods({}, 330.0).empty());
    EXPECT_TRUE(singleCyclePeriods({{0, 0.0}, {0, 330.0}}, 0.0).empty());
}

TEST(MeanCyclePeriod, CountsEveryCycleSpanned) {
    // Cycles of 340 ms, observed 1, 3 and 2 cycles apart on two channels,
    // with a rough guess of 330 ms.
    const std::vector<IndicatorChange> changes = {
        {0, 0.0}, {0, 340.0}, {0, 1360.0}, {1, 110.0}, {1, 790.0}};
    EXPECT_DOUBLE_EQ(meanCyclePeriod(changes, 330.0), 340.0);
    EXPECT_DOUBLE_EQ(meanCyclePeriod({{0, 0.0}}, 330.0), 0.0);
}

TEST(MeanPeriodBetween, UsesFirstAndLastSightingInsideTheWindow) {
    const std::vector<CycleSighting> sightings = {
        {1000.0, 3}, {4000.0, 12}, {7000.0, 21}, {10000.0, 31}, {13000.0, 40}};
    // Window [2000, 11000): sightings of cycles 12 and 31.
    const auto period = meanPeriodBetween(sightings, 2000.0, 11000.0);
    ASSERT_TRUE(period.has_value());
    EXPECT_DOUBLE_EQ(*period, 6000.0 / 19.0);
    // The upper bound is left out.
    const auto early = meanPeriodBetween(sightings, 0.0, 7000.0);
    ASSERT_TRUE(early.has_value());
    EXPECT_DOUBLE_EQ(*early, 3000.0 / 9.0);
}

TEST(MeanPeriodBetween, NothingWithTooFewCycles) {
    const std::vector<CycleSighting> sightings = {{1000.0, 3}, {1300.0, 4}, {9000.0, 30}};
    EXPECT_FALSE(meanPeriodBetween(sightings, 0.0, 2000.0).has_value()); // one cycle apart
    EXPECT_FALSE(meanPeriodBetween(sightings, 5000.0, 8000.0).has_value()); // none inside
    EXPECT_FALSE(meanPeriodBetween({}, 0.0, 1e9).has_value());
}

} // namespace
