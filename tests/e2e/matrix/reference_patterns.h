// An independent record of the levels the loop drove. The program never
// seeds its pattern generator, so every run of it drives the same patterns
// in the same order. A run on an absent unit records them: every input
// reads off there, so a line for channel c in cycle n appears exactly when
// the loop drove c on. Another fault's run can then be predicted line for
// line from that record and the fault model alone.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "log_text.h"

namespace zorik::e2e {

// Bit c of pattern n - 1: the level channel c was driven to in cycle n.
using DrivenPatterns = std::vector<unsigned>;

// The patterns of the first `cycles` cycles of a run on an absent unit.
DrivenPatterns patternsOfAbsentRun(const std::vector<LogLine>& lines, std::uint64_t cycles);

// A line as the fault model predicts it.
struct ExpectedLine {
    std::uint64_t cycle;
    int channel;
    bool output, input;
};

// What input `channel` shows at its step of cycle `cycle`, given what was
// driven; nothing when the model leaves it to chance.
using InputModel = std::function<bool(const DrivenPatterns&, std::uint64_t cycle, int channel)>;

// The lines of the first patterns.size() cycles: one wherever the input
// shown differs from the level driven.
std::vector<ExpectedLine> predictLines(const DrivenPatterns& patterns, const InputModel& input);

// The run's lines of the cycles the prediction covers are exactly the
// predicted ones.
::testing::AssertionResult linesAsPredicted(const std::vector<LogLine>& lines,
                                            const std::vector<ExpectedLine>& expected,
                                            std::uint64_t cycles);

} // namespace zorik::e2e
