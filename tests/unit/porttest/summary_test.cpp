// The summary line's text and verdict (code page 949 bytes spelt out), and
// the time spent testing, summed over running periods by the tick count
// (the disagreements per channel are counted in the worker's tests).
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

TEST(TestTally, SumsRunningPeriodsByTheTickCount)
{
    TestTally tally;
    EXPECT_EQ(tally.testingMilliseconds(5000), 0u);

    tally.beginRunning(1000);
    EXPECT_EQ(tally.testingMilliseconds(2500), 1500u) << "the period under way counts";
    EXPECT_EQ(tally.advance(2000), 1000u);
    tally.endRunning(3000);
    EXPECT_EQ(tally.testingMilliseconds(9000), 2000u) << "idle time does not count";
    // The count wrapping within a period; a reading just before the
    // worker's last one.
    tally.beginRunning(0xFFFFFC18u);
    EXPECT_EQ(tally.advance(0x3E8u), 4000u);
    EXPECT_EQ(tally.testingMilliseconds(0x3E0u), 4000u);
    tally.endRunning(0x7D0u);
    EXPECT_EQ(tally.testingMilliseconds(0), 5000u);
}
