// The test log and the counter as the report reads them while a worker is
// still running: whole lines only, and a count that matches the lines.
#include "loopback_fakes.h"
#include "loopback_worker.h"
#include "loopback_log.h"
#include "program_texts.h"
#include "test_thread.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using namespace zorik;
using namespace zorik::testing;

TEST(TestLog, StartsWithErrorCheckAndOnlyGrows)
{
    TestLog log;
    EXPECT_EQ(log.text(), "Error Check");
    log.append(formatLogHeader());
    log.append("x");
    EXPECT_EQ(log.text(), "Error Check  -  10ms\r\n\r\nx");
    EXPECT_EQ(log.size(), log.text().size());
}

namespace {

// A worker reduced to its effect on the counter and the log, advanced by
// hand at chosen moments of a snapshot.
struct SteppedRun {
    std::uint32_t count = 0;
    std::string log = "H";

    void beginCycle() { log += std::to_string(++count) + "a"; }
    void finishCycle() { log += std::to_string(count) + "b"; }
};

} // namespace

TEST(ReportSnapshot, CycleBegunWhileTheLogIsReadMovesTheCountAlong)
{
    SteppedRun run;
    run.beginCycle();
    run.finishCycle();
    bool stepped = false;
    const ReportSnapshot snapshot = takeReportSnapshot(
        [&] { return run.count; },
        [&] {
            if (!stepped) {
                stepped = true;
                run.beginCycle();
            }
            return run.log;
        });
    EXPECT_EQ(snapshot.count, 2u);
    EXPECT_EQ(snapshot.log, "H1a1b2a");
}

TEST(ReportSnapshot, CycleFinishedJustAfterTheLogWasReadIsNotMissed)
{
    SteppedRun run;
    run.beginCycle();
    bool stepped = false;
    const ReportSnapshot snapshot = takeReportSnapshot(
        [&] { return run.count; },
        [&] {
            const std::string text = run.log;
            if (!stepped) {
                stepped = true;
                run.finishCycle();
                run.beginCycle();
            }
            return text;
        });
    EXPECT_EQ(snapshot.count, 2u);
    EXPECT_EQ(snapshot.log, "H1a1b2a");
}

namespace {

// Appends the worker's lines to a TestLog, as the real dialog does with
// m_strLog.
class LoggingDialog : public FakeDialog {
public:
    explicit LoggingDialog(TestLog& log) : m_log(log) {}
    void appendToLog(const std::string& line) override { m_log.append(line); }

private:
    TestLog& m_log;
};

class YieldingServices : public FakeServices {
public:
    using FakeServices::FakeServices;
    void sleep(unsigned milliseconds) override
    {
        FakeServices::sleep(milliseconds);
        std::this_thread::yield();
    }
};

// Checks one snapshot against what an inverting unit produces: three lines
// per cycle, channels 0 to 2, all of them for every cycle before the
// count, none for a later one. Returns an empty string when it holds.
std::string inconsistency(const ReportSnapshot& snapshot, const std::string& logStart)
{
    if (snapshot.log.compare(0, logStart.size(), logStart) != 0)
        return "log start changed";
    const std::size_t lineLength = formatLogLine(0, {0, 0, 0}, 0, 1, 0).size();
    const std::size_t linesBytes = snapshot.log.size() - logStart.size();
    if (linesBytes % lineLength != 0)
        return "partial line";
    const std::size_t lines = linesBytes / lineLength;
    const std::size_t count = snapshot.count;
    if (lines > 3 * count || (count > 0 && lines < 3 * (count - 1)))
        return std::to_string(lines) + " lines for count " + std::to_string(count);
    for (std::size_t i = 0; i < lines; ++i) {
        const std::string line = snapshot.log.substr(logStart.size() + i * lineLength, lineLength);
        const unsigned long cycle = std::strtoul(line.substr(1, 16).c_str(), nullptr, 16);
        const int channel = line.at(line.find('[') + 1) - '0';
        if (cycle != i / 3 + 1 || channel != static_cast<int>(i % 3)
            || line.compare(lineLength - 2, 2, "\r\n") != 0)
            return "line " + std::to_string(i) + " is " + line;
    }
    return {};
}

} // namespace

TEST(ReportSnapshot, CountAndLogAgreeWhileTheWorkerRuns)
{
    TestLog log;
    log.append(formatLogHeader());
    const std::string logStart = log.text();
    CycleCounter counter;
    RunFlag flag;
    LoggingDialog dialog(log);
    YieldingServices services(invertingUnit);
    services.setRandomValues({0, 1, 2, 3, 4, 5, 6, 7});
    FakeButtonActions button;
    zorik::test::TestThread worker;
    button.startWorker = [&] {
        worker = zorik::test::TestThread([&] { TestThreadProc(dialog, services, flag, counter); });
        return true;
    };
    const std::uint32_t cycles = 1500;
    services.onSleep = [&](unsigned) {
        if (counter.value() >= cycles && flag.value() == 1)
            flag.onTestButton(button);
    };

    ASSERT_EQ(flag.onTestButton(button), TestButtonResult::Started);
    int snapshots = 0;
    std::string problem;
    while (flag.workerActive() && problem.empty()) {
        problem = inconsistency(takeReportSnapshot(log, counter), logStart);
        ++snapshots;
    }
    worker.join();

    EXPECT_EQ(problem, "");
    const ReportSnapshot last = takeReportSnapshot(log, counter);
    EXPECT_EQ(last.count, cycles);
    EXPECT_EQ(inconsistency(last, logStart), "");
    EXPECT_EQ(last.log.size(), log.size());
    std::printf("%d snapshots taken while the worker ran\n", snapshots);
}
