#include "disagreement_checks.h"

#include <cmath>
#include <map>
#include <string>
#include <utility>

namespace zorik::e2e {
namespace {

std::string describe(const LogLine& line) {
    char text[96];
    std::snprintf(text, sizeof text, "cycle %llu channel %d (output %s, input %s)",
                  static_cast<unsigned long long>(line.count), line.inputChannel,
                  line.outputState.c_str(), line.inputState.c_str());
    return text;
}

const char* levelText(bool on) {
    return on ? kOnText : kOffText;
}

bool reads(const LogLine& line, bool output, bool input) {
    return line.outputState == levelText(output) && line.inputState == levelText(input);
}

using CycleChannel = std::pair<std::uint64_t, int>;

std::map<CycleChannel, LogLine> byCycleAndChannel(const std::vector<LogLine>& lines) {
    std::map<CycleChannel, LogLine> map;
    for (const LogLine& line : lines)
        map.emplace(CycleChannel{line.count, line.inputChannel}, line);
    return map;
}

} // namespace

::testing::AssertionResult linesInCycleOrder(const std::vector<LogLine>& lines,
                                             std::uint64_t cycles) {
    const LogLine* previous = nullptr;
    for (const LogLine& line : lines) {
        if (line.inputChannel != line.outputChannel || line.inputChannel < 0 ||
            line.inputChannel > 2)
            return ::testing::AssertionFailure()
                   << "input " << line.inputChannel << " against output " << line.outputChannel;
        const bool wordsKnown = (line.outputState == kOnText || line.outputState == kOffText) &&
                                (line.inputState == kOnText || line.inputState == kOffText);
        if (!wordsKnown || line.outputState == line.inputState)
            return ::testing::AssertionFailure() << "not a disagreement: " << describe(line);
        if (line.count < 1 || line.count > cycles)
            return ::testing::AssertionFailure()
                   << describe(line) << " outside the " << cycles << " cycles counted";
        if (previous && (line.count < previous->count ||
                         (line.count == previous->count &&
                          line.inputChannel <= previous->inputChannel)))
            return ::testing::AssertionFailure()
                   << describe(line) << " after " << describe(*previous);
        previous = &line;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult onlyOnChannels(const std::vector<LogLine>& lines,
                                          const std::set<int>& channels) {
    for (const LogLine& line : lines)
        if (!channels.count(line.inputChannel))
            return ::testing::AssertionFailure() << "a line for a sound channel: " << describe(line);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult everyLineReads(const std::vector<LogLine>& lines, int channel,
                                          const char* output, const char* input) {
    for (const LogLine& line : lines)
        if (line.inputChannel == channel &&
            (line.outputState != output || line.inputState != input))
            return ::testing::AssertionFailure() << describe(line) << ", expected output "
                                                 << output << ", input " << input;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult lineCountFits(const std::vector<LogLine>& lines, int channel,
                                         std::uint64_t cycles, double probability) {
    long seen = 0;
    for (const LogLine& line : lines)
        seen += line.inputChannel == channel;
    const double mean = static_cast<double>(cycles) * probability;
    const double spread = 4.0 * std::sqrt(mean * (1.0 - probability));
    // A run without any line is allowed only while it has a real chance.
    const bool surelyOne = std::pow(1.0 - probability, static_cast<double>(cycles)) < 1e-4;
    if (std::fabs(static_cast<double>(seen) - mean) > spread || (surelyOne && seen == 0))
        return ::testing::AssertionFailure()
               << seen << " lines for channel " << channel << " in " << cycles
               << " cycles, expected about " << mean << " (within " << spread << ")";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult consistentWithCrossedInputs(const std::vector<LogLine>& lines,
                                                       int first, int second,
                                                       std::uint64_t cycles, bool secondAtStart) {
    const auto logged = byCycleAndChannel(lines);
    bool secondLevel = secondAtStart;
    for (std::uint64_t cycle = 1; cycle <= cycles; ++cycle) {
        const auto firstLine = logged.find({cycle, first});
        // A line means the driven level differed from what the input showed.
        const bool firstLevel = firstLine != logged.end() ? !secondLevel : secondLevel;
        if (firstLine != logged.end() && !reads(firstLine->second, firstLevel, secondLevel))
            return ::testing::AssertionFailure()
                   << describe(firstLine->second) << ": output " << second
                   << " was left at " << levelText(secondLevel) << " by the cycle before";
        const auto secondLine = logged.find({cycle, second});
        const bool newSecondLevel = secondLine != logged.end() ? !firstLevel : firstLevel;
        if (secondLine != logged.end() && !reads(secondLine->second, newSecondLevel, firstLevel))
            return ::testing::AssertionFailure()
                   << describe(secondLine->second) << ": output " << first
                   << " had just been driven " << levelText(firstLevel);
        secondLevel = newSecondLevel;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult consistentWithLateInput(const std::vector<LogLine>& lines, int channel,
                                                   bool levelAtStart) {
    bool level = levelAtStart;
    for (const LogLine& line : lines) {
        if (line.inputChannel != channel)
            continue;
        if (!reads(line, !level, level))
            return ::testing::AssertionFailure()
                   << describe(line) << ": the output was last driven "
                   << levelText(level) << ", so only the opposite level can disagree";
        level = !level;
    }
    return ::testing::AssertionSuccess();
}

} // namespace zorik::e2e
