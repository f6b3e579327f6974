#include "reference_patterns.h"

#include <algorithm>
#include <string>

#include "disagreement_checks.h"

namespace zorik::e2e {
namespace {

std::string describe(std::uint64_t cycle, int channel, bool output, bool input) {
    return "cycle " + std::to_string(cycle) + " channel " + std::to_string(channel) +
           " (output " + (output ? kOnText : kOffText) + ", input " + (input ? kOnText : kOffText) +
           ")";
}

} // namespace

DrivenPatterns patternsOfAbsentRun(const std::vector<LogLine>& lines, std::uint64_t cycles) {
    DrivenPatterns patterns(cycles, 0u);
    for (const LogLine& line : lines)
        if (line.count >= 1 && line.count <= cycles && line.inputChannel >= 0 &&
            line.inputChannel < 3)
            patterns[line.count - 1] |= 1u << line.inputChannel;
    return patterns;
}

std::vector<ExpectedLine> predictLines(const DrivenPatterns& patterns, const InputModel& input) {
    std::vector<ExpectedLine> lines;
    for (std::uint64_t cycle = 1; cycle <= patterns.size(); ++cycle)
        for (int c = 0; c < 3; ++c) {
            const bool driven = (patterns[cycle - 1] >> c) & 1u;
            const bool shown = input(patterns, cycle, c);
            if (driven != shown)
                lines.push_back({cycle, c, driven, shown});
        }
    return lines;
}

::testing::AssertionResult linesAsPredicted(const std::vector<LogLine>& lines,
                                            const std::vector<ExpectedLine>& expected,
                                            std::uint64_t cycles) {
    std::vector<ExpectedLine> seen;
    for (const LogLine& line : lines)
        if (line.count <= cycles)
            seen.push_back({line.count, line.inputChannel, line.outputState == kOnText,
                            line.inputState == kOnText});
    for (size_t i = 0; i < std::max(seen.size(), expected.size()); ++i) {
        if (i >= seen.size())
            return ::testing::AssertionFailure()
                   << "missing line: " << describe(expected[i].cycle, expected[i].channel,
                                                   expected[i].output, expected[i].input);
        const ExpectedLine& s = seen[i];
        if (i >= expected.size())
            return ::testing::AssertionFailure()
                   << "unexpected line: " << describe(s.cycle, s.channel, s.output, s.input);
        const ExpectedLine& e = expected[i];
        if (s.cycle != e.cycle || s.channel != e.channel || s.output != e.output ||
            s.input != e.input)
            return ::testing::AssertionFailure()
                   << "line " << i + 1 << ": " << describe(s.cycle, s.channel, s.output, s.input)
                   << ", expected " << describe(e.cycle, e.channel, e.output, e.input);
    }
    return ::testing::AssertionSuccess();
}

} // namespace zorik::e2e
