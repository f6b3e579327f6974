// The loopback test run from the Test button: its caption, its cycle count,
// and the log lines a faulty unit produces.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <vector>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

// A caption that has held this long outlasted any loop's last cycle, so it
// is the state the operator asked for and no leftover of a handover.
constexpr Millis kSettledFor(800);
constexpr Millis kSettleTimeout(6000);

int secondOfDayNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return secondOfDay(now.wHour, now.wMinute, now.wSecond);
}

// Whether `second` lies between `from` and `to` on the clock, across
// midnight if need be.
bool withinClockSpan(int second, int from, int to) {
    constexpr int day = 24 * 60 * 60;
    return (second - from + day) % day <= (to - from + day) % day;
}

TEST(LoopbackTest, HealthyUnitCountsCyclesAndLogsNothing) {
    ZorikSession zorik;
    const MainDialog& dialog = zorik.dialog();
    const auto started = std::chrono::steady_clock::now();

    ASSERT_TRUE(startLoopbackTest(zorik));
    // Let a few cycles run; the loop drives the outputs at random.
    std::set<int> patterns;
    waitUntil(
        [&] {
            patterns.insert(dialog.checkState(outputId(0)) | dialog.checkState(outputId(1)) << 1 |
                            dialog.checkState(outputId(2)) << 2);
            return false;
        },
        Millis(1200), Millis(10));
    EXPECT_GT(patterns.size(), 1u) << "the outputs did not change while the test ran";

    const auto stopPressed = std::chrono::steady_clock::now();
    ASSERT_TRUE(stopLoopbackTest(zorik));
    std::printf("the caption came back %ld ms after the stop\n",
                static_cast<long>(elapsedSince(stopPressed).count()));
    std::uint64_t summaryCycles = 0;
    EXPECT_TRUE(showsSummary(dialog, kVerdictPass, {}, summaryCycles));

    // Polling is back: a switch drives its input again.
    const int wanted = dialog.checkState(outputId(1)) == 1 ? 0 : 1;
    dialog.click(outputId(1));
    ASSERT_TRUE(showsCheck(dialog, outputId(1), wanted));
    EXPECT_TRUE(showsCheck(dialog, inputId(1), wanted));

    const auto report = parsedReport(saveAndLeave(zorik));
    const long ranMs = static_cast<long>(elapsedSince(started).count());
    ASSERT_TRUE(report);
    EXPECT_EQ(escapedBytes(report->log), escapedBytes(kFreshLog));
    EXPECT_GE(report->count, 2u);
    EXPECT_TRUE(cycleCountFits(report->count, ranMs, 1));
    EXPECT_EQ(summaryCycles, report->count) << "the summary line's cycles";
    std::printf("%lu cycles counted in %ld ms\n", static_cast<unsigned long>(report->count),
                ranMs);
}

// A stop and an immediate new start must leave one loop running: the old
// loop may neither end the new run nor keep going beside it.
TEST(LoopbackTest, StopAndImmediateStartKeepsOneLoopRunning) {
    ZorikSession zorik;
    const MainDialog& dialog = zorik.dialog();
    const auto started = std::chrono::steady_clock::now();

    ASSERT_TRUE(startLoopbackTest(zorik));
    dialog.click(kTestButton);
    dialog.click(kTestButton);
    EXPECT_TRUE(settlesOnText(dialog, kTestButton, cp949(kTestRunningCaption), kSettledFor,
                              kSettleTimeout))
        << "the run stopped although it was started again";

    ASSERT_TRUE(stopLoopbackTest(zorik));
    const auto report = parsedReport(saveAndLeave(zorik));
    const long ranMs = static_cast<long>(elapsedSince(started).count());
    ASSERT_TRUE(report);
    EXPECT_TRUE(cycleCountFits(report->count, ranMs, 2));
}

// However fast the operator presses, the last press decides: after an odd
// number the test runs, after an even number it stops and polling is back.
TEST(LoopbackTest, RapidPressesEndInTheLastRequestedState) {
    ZorikSession zorik;
    const MainDialog& dialog = zorik.dialog();
    const auto started = std::chrono::steady_clock::now();

    for (int press = 0; press < 7; ++press)
        dialog.click(kTestButton);
    EXPECT_TRUE(settlesOnText(dialog, kTestButton, cp949(kTestRunningCaption), kSettledFor,
                              kSettleTimeout))
        << "after seven presses";

    for (int press = 0; press < 7; ++press)
        dialog.click(kTestButton);
    EXPECT_TRUE(settlesOnText(dialog, kTestButton, cp949(kTestIdleCaption), kSettledFor,
                              kSettleTimeout))
        << "after fourteen presses";

    // Polling is back.
    const int wanted = dialog.checkState(outputId(0)) == 1 ? 0 : 1;
    dialog.click(outputId(0));
    ASSERT_TRUE(showsCheck(dialog, outputId(0), wanted));
    EXPECT_TRUE(showsCheck(dialog, inputId(0), wanted, Millis(1000))) << "polling stopped";

    const auto report = parsedReport(saveAndLeave(zorik));
    const long ranMs = static_cast<long>(elapsedSince(started).count());
    ASSERT_TRUE(report);
    EXPECT_TRUE(cycleCountFits(report->count, ranMs, 2));
}

// Input 0 stuck off and input 2 stuck on; input 1 is healthy.
constexpr char kStuckInputs[] = "stuck-off=0,stuck-on=2";

void expectLinesOfStuckInputs(const std::vector<LogLine>& lines, int fromSecond, int toSecond) {
    std::optional<LogLine> stuckOff, stuckOn;
    for (const LogLine& line : lines) {
        EXPECT_EQ(line.inputChannel, line.outputChannel);
        EXPECT_NE(line.inputChannel, 1) << "a line for the healthy input";
        EXPECT_NE(line.outputState, line.inputState) << "a line for agreeing states";
        EXPECT_TRUE(withinClockSpan(secondOfDay(line.hour, line.minute, line.second), fromSecond,
                                    toSecond))
            << "line time " << line.hour << ":" << line.minute << ":" << line.second;
        (line.inputChannel == 0 ? stuckOff : stuckOn) = line;
    }
    // The state fields use one wording for checked and one for unchecked:
    // input 0 is off where the loop drove it on, input 2 the reverse.
    ASSERT_TRUE(stuckOff && stuckOn) << "both stuck inputs disagree within a few cycles";
    EXPECT_EQ(stuckOff->outputState, stuckOn->inputState);
    EXPECT_EQ(stuckOff->inputState, stuckOn->outputState);
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_LE(lines[i - 1].count, lines[i].count) << "line " << i;
}

TEST(FaultyUnit, StuckInputsAreLoggedAndCountingGoesOnAcrossRuns) {
    ZorikSession zorik(kStuckInputs);
    const MainDialog& dialog = zorik.dialog();
    const int firstSecond = secondOfDayNow();

    ASSERT_TRUE(startLoopbackTest(zorik));
    std::vector<LogLine> lines;
    ASSERT_TRUE(logShowsLines(dialog, 4, lines, Millis(8000)));
    ASSERT_TRUE(stopLoopbackTest(zorik));
    ASSERT_TRUE(logShowsLines(dialog, 0, lines, Millis(0)));
    const size_t firstRunLines = lines.size();
    const std::uint64_t firstRunLastCount = lines.back().count;

    ASSERT_TRUE(startLoopbackTest(zorik));
    ASSERT_TRUE(logShowsLines(dialog, firstRunLines + 2, lines, Millis(8000)));
    ASSERT_TRUE(stopLoopbackTest(zorik));
    ASSERT_TRUE(logShowsLines(dialog, 0, lines, Millis(0)));
    expectLinesOfStuckInputs(lines, firstSecond, secondOfDayNow());
    EXPECT_GT(lines[firstRunLines].count, firstRunLastCount)
        << "the count started again with the second run";

    const std::string shownLog = dialog.text(kLogBox);
    std::uint64_t summaryCycles = 0;
    EXPECT_TRUE(showsSummary(dialog, kVerdictFail, lines, summaryCycles));
    const auto report = parsedReport(saveAndLeave(zorik));
    ASSERT_TRUE(report);
    EXPECT_EQ(escapedBytes(report->log), escapedBytes(shownLog))
        << "the report holds another log than the box showed";
    EXPECT_GE(report->count, lines.back().count);
    EXPECT_EQ(summaryCycles, report->count) << "the summary line's cycles";
}

TEST(FaultyUnit, AbsentUnitLogsEveryChannelDrivenOn) {
    ZorikSession zorik("absent");
    const MainDialog& dialog = zorik.dialog();
    const int firstSecond = secondOfDayNow();

    ASSERT_TRUE(startLoopbackTest(zorik));
    std::vector<LogLine> lines;
    ASSERT_TRUE(logShowsLines(dialog, 6, lines, Millis(10000)));
    ASSERT_TRUE(stopLoopbackTest(zorik));
    ASSERT_TRUE(logShowsLines(dialog, 0, lines, Millis(0)));

    for (const LogLine& line : lines) {
        EXPECT_EQ(line.inputChannel, line.outputChannel);
        EXPECT_NE(line.outputState, line.inputState);
        EXPECT_TRUE(withinClockSpan(secondOfDay(line.hour, line.minute, line.second), firstSecond,
                                    secondOfDayNow()));
        // Every input reads off, so every line shows the same pair.
        EXPECT_EQ(line.outputState, lines.front().outputState);
        EXPECT_EQ(line.inputState, lines.front().inputState);
    }
    // The lines of one cycle share its count and come in channel order.
    for (size_t i = 1; i < lines.size(); ++i) {
        ASSERT_LE(lines[i - 1].count, lines[i].count) << "line " << i;
        if (lines[i - 1].count == lines[i].count) {
            EXPECT_LT(lines[i - 1].inputChannel, lines[i].inputChannel) << "line " << i;
        }
    }
}

} // namespace
} // namespace zorik::e2e
