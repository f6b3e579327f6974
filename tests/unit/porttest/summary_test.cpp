// The summary line's text and verdict (code page 949 bytes spelt out), and
// the time spent testing, summed over running periods by the tick count
// (the disagreements per channel are counted in the worker's tests).
#include "summary_line.h"
#include "test_tally.h"
#include "unattended_run.h"

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
        // Failing on the last input alone still fails.
        {{3, {0, 0, 2}, 1}, Verdict::Fail, kFail + kCycles + "3" + kLines + "2 ([0] 0, [1] 0, [2] 2)" + kTime + "0:00:01"},
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

// Readings reach the tally one by one: only disagreements count, each on
// its own channel.
TEST(TestTally, CountsDisagreementsOnly)
{
    TestTally tally;
    Reading agreed;
    agreed.channel = 2;
    for (int i = 0; i < 5; ++i)
        tally.reading(agreed);
    Reading disagreed = agreed;
    disagreed.disagreement = true;
    tally.reading(disagreed);
    disagreed.channel = 0;
    tally.reading(disagreed);
    EXPECT_EQ(tally.disagreements(), 2u);
    EXPECT_EQ(tally.disagreements(0), 1u);
    EXPECT_EQ(tally.disagreements(1), 0u);
    EXPECT_EQ(tally.disagreements(2), 1u);
}

// A bounded run's exit code: "no verdict" until it ends; then memory,
// a missing report and an early end each outrank what comes after them.
TEST(BoundedRunExitCode, OnlyAFinishedTestGivesAVerdict)
{
    EXPECT_EQ(UnattendedRun().exitCode(), EXIT_NO_VERDICT);
    const struct {
        BoundedRunEnd end;
        int code;
    } rows[] = {
        {{true, true, false, 0}, EXIT_NO_DISAGREEMENT},
        {{true, true, false, 1}, EXIT_DISAGREEMENT},
        {{true, false, false, 0}, EXIT_ENDED_EARLY},
        {{true, false, false, 5}, EXIT_ENDED_EARLY},
        {{false, true, false, 0}, EXIT_REPORT_NOT_WRITTEN},
        {{false, false, false, 5}, EXIT_REPORT_NOT_WRITTEN},
        {{true, false, true, 0}, EXIT_OUT_OF_MEMORY},
        {{false, false, true, 5}, EXIT_OUT_OF_MEMORY},
        // the result file, or a journal left behind, as a missing report
        {{true, true, false, 0, false, false}, EXIT_REPORT_NOT_WRITTEN},
        {{true, true, false, 1, true, true}, EXIT_REPORT_NOT_WRITTEN},
        {{true, false, false, 0, true, true}, EXIT_REPORT_NOT_WRITTEN},
        {{true, true, true, 0, false, true}, EXIT_OUT_OF_MEMORY},
    };
    for (const auto& row : rows) {
        UnattendedRun run;
        run.end(row.end);
        EXPECT_EQ(run.exitCode(), row.code) << row.end.reportWritten << row.end.boundReached
                                            << row.end.outOfMemory << row.end.disagreements
                                            << row.end.resultWritten << row.end.journalLeft;
    }
    UnattendedRun noThread;
    noThread.endWithoutTest(EXIT_TEST_NOT_STARTED);
    EXPECT_FALSE(noThread.beginEnding()) << "nothing more to end";
    EXPECT_EQ(noThread.exitCode(), EXIT_TEST_NOT_STARTED);
}
