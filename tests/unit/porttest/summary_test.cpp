// The summary line's text and verdict (code page 949 bytes spelt out), and
// the tally behind it: disagreements per channel and the time spent
// testing, summed over running periods by the worker's clock.
#include "summary_line.h"
#include "test_tally.h"

#include <gtest/gtest.h>

#include <string>

using namespace zorik;

namespace {

const std::string kWaiting = "\xB4\xEB\xB1\xE2";              // 대기
const std::string kPass = "\xC1\xA4\xBB\xF3";                 // 정상
const std::string kFail = "\xBA\xD2\xB7\xAE";                 // 불량
const std::string kCycles = "  \xBB\xE7\xC0\xCC\xC5\xAC ";    // 사이클
const std::string kLines = "  \xBA\xD2\xC0\xCF\xC4\xA1 ";     // 불일치
const std::string kTime = "  \xBD\xC3\xC7\xE8 \xBD\xC3\xB0\xA3 "; // 시험 시간

} // namespace

TEST(SummaryLine, VerdictAndFigures)
{
    const struct {
        SummaryFigures figures;
        Verdict verdict;
        std::string text;
    } rows[] = {
        {{}, Verdict::Waiting, kWaiting + kCycles + "0" + kLines + "0 ([0] 0, [1] 0, [2] 0)" + kTime + "0:00:00"},
        {{12, {0, 0, 0}, 4}, Verdict::Pass, kPass + kCycles + "12" + kLines + "0 ([0] 0, [1] 0, [2] 0)" + kTime + "0:00:04"},
        // Stopped before the first second passed: cycles ran, so a verdict.
        {{1, {0, 0, 0}, 0}, Verdict::Pass, kPass + kCycles + "1" + kLines + "0 ([0] 0, [1] 0, [2] 0)" + kTime + "0:00:00"},
        {{7, {0, 1, 0}, 3599}, Verdict::Fail, kFail + kCycles + "7" + kLines + "1 ([0] 0, [1] 1, [2] 0)" + kTime + "0:59:59"},
        {{4294967295u, {4294967295u, 4294967295u, 4294967295u}, 2678400}, Verdict::Fail,
         kFail + kCycles + "4294967295" + kLines + "12884901885 ([0] 4294967295, [1] 4294967295, [2] 4294967295)" +
             kTime + "744:00:00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(verdictOf(row.figures), row.verdict);
        EXPECT_EQ(formatSummary(row.figures), row.text);
    }
}

TEST(TestTally, CountsPerChannelAndSumsRunningPeriods)
{
    TestTally tally;
    const TickRate rate{1000000, ~std::uint64_t{0}};
    EXPECT_EQ(tally.testingMilliseconds(5000000), 0u);

    tally.beginRunning(1000000, rate);
    EXPECT_EQ(tally.testingMilliseconds(2500000), 1500u) << "the period under way counts";
    tally.endRunning(3000000);
    EXPECT_EQ(tally.testingMilliseconds(9000000), 2000u) << "idle time does not count";
    tally.beginRunning(10000000, rate);
    tally.endRunning(10999999);
    EXPECT_EQ(tally.testingMilliseconds(20000000), 2999u);

    tally.countDisagreement(2);
    tally.countDisagreement(2);
    tally.countDisagreement(0);
    tally.countDisagreement(3); // no such channel
    EXPECT_EQ(tally.disagreements(0), 1u);
    EXPECT_EQ(tally.disagreements(1), 0u);
    EXPECT_EQ(tally.disagreements(2), 2u);
    EXPECT_EQ(tally.disagreements(), 3u);
}

TEST(TestTally, CounterThatWrapsOrStepsBackAddsNoFalseTime)
{
    TestTally tally;
    // GetTickCount's 32-bit counter wrapping within a period.
    tally.beginRunning(0xFFFFFC18u, {1000, 0xFFFFFFFFu});
    EXPECT_EQ(tally.testingMilliseconds(0x3E8u), 2000u);
    tally.endRunning(0x3E8u);
    // Another core's counter a little behind the start: no time, not years.
    tally.beginRunning(5000, {1000, ~std::uint64_t{0}});
    tally.endRunning(4990);
    EXPECT_EQ(tally.testingMilliseconds(0), 2000u);
}
