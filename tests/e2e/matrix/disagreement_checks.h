// What a unit fault implies for the test log, checked line by line against
// the fault model's own rules and the facts of the run (the cycles it
// counted), never against a copy of the loop's logic.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "log_text.h"

namespace zorik::e2e {

// How a log line words an indicator's state; the wording is the program's
// choice, pinned here by the stuck and absent cases (a stuck-off input
// disagrees only where its output was driven on).
inline constexpr char kOnText[] = "ON";
inline constexpr char kOffText[] = "OFF";

// The shape every log of a run of `cycles` cycles has, whatever the fault:
// input and output numbers name the same channel 0 to 2; the two states are
// worded as on and off and differ; counts run from 1 to `cycles` without
// going back; within one count each channel comes at most once and in
// channel order.
::testing::AssertionResult linesInCycleOrder(const std::vector<LogLine>& lines,
                                             std::uint64_t cycles);

// No line names a channel outside `channels`.
::testing::AssertionResult onlyOnChannels(const std::vector<LogLine>& lines,
                                          const std::set<int>& channels);

// Every line of `channel` shows these output and input states.
::testing::AssertionResult everyLineReads(const std::vector<LogLine>& lines, int channel,
                                          const char* output, const char* input);

// The number of lines of `channel` fits `cycles` independent cycles that
// each disagree with `probability`: within 4 standard deviations of the
// mean and, when a run without one has less than one chance in 10^4, not
// none.
::testing::AssertionResult lineCountFits(const std::vector<LogLine>& lines, int channel,
                                         std::uint64_t cycles, double probability);

// Inputs `first` < `second` crossed (cross=A:B): at `first`'s step its
// input shows `second`'s output as the previous cycle left it (in cycle 1:
// `secondAtStart`); at `second`'s step its input shows `first`'s output as
// just driven. Each line fixes the level the loop drove, its absence that
// the two levels agreed, so the lines of a run determine the levels cycle
// by cycle; the check replays them and fails at the first line that
// contradicts.
::testing::AssertionResult consistentWithCrossedInputs(const std::vector<LogLine>& lines,
                                                       int first, int second,
                                                       std::uint64_t cycles, bool secondAtStart);

// An input that lags its output by more than the settling time and less
// than a cycle (slow=C:MS): at the channel's step the input still shows the
// level of the cycle before, so a line appears exactly when the driven
// level changed. Starting from `levelAtStart`, the level the input shows in
// cycle 1, the lines of `channel` therefore show the output at the other
// level, then back, and so on in turn, each with the input opposite.
::testing::AssertionResult consistentWithLateInput(const std::vector<LogLine>& lines, int channel,
                                                   bool levelAtStart);

} // namespace zorik::e2e
