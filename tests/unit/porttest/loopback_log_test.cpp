// The test log and the counter as the report reads them while a worker is
// still running: whole lines only, and a count that matches the lines; and
// what the log box shows of the log.
#include "log_box_lines.h"
#include "loopback_fakes.h"
#include "loopback_worker.h"
#include "loopback_log.h"
#include "program_texts.h"
#include "test_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

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

// What the box is given: each line once and whole, in order; lines on disk
// are not held; more than a box's worth waiting lets the oldest go, and the
// box, refilled from the head, still gets the newest line whole.
TEST(TestLog, LinesWaitWholeForTheBoxAndOnlyUnjournaledOnesAreHeld)
{
    const std::string head = "Error Check  -  10ms\r\n\r\n";
    TestLog log(head);
    const std::string line = " 0000000000000001 : 12\xBD\xC3 00\xBA\xD0 00\xC3\xCA - x\r\n";
    EXPECT_TRUE(log.appendLine(line, true)) << "the box had nothing waiting: tell it";
    EXPECT_FALSE(log.appendLine(line, false)) << "told already";
    bool dropped = true;
    EXPECT_EQ(log.takeForBox(dropped), line + line);
    EXPECT_FALSE(dropped);
    EXPECT_EQ(log.takeForBox(dropped), "");
    EXPECT_EQ(log.text(), head + line) << "the journaled line is not held";
    EXPECT_EQ(log.head(), head);

    const std::size_t lines = LOG_BOX_BUDGET_BYTES / line.size() + 10;
    for (std::size_t i = 0; i < lines; ++i)
        log.appendLine(line, true);
    const std::string newest = " 0000000000000002 : newest\r\n";
    log.appendLine(newest, true);
    const std::string waiting = log.takeForBox(dropped);
    EXPECT_TRUE(dropped);
    EXPECT_LE(waiting.size(), LOG_BOX_BUDGET_BYTES);
    EXPECT_EQ(waiting.rfind(newest), waiting.size() - newest.size());
    EXPECT_EQ(waiting.substr(0, line.size()), line) << "starts with a whole line";
    EXPECT_EQ(log.text(), head + line);
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
        worker = zorik::test::TestThread([&] { TestThreadProc(dialog, services, dialog, flag, counter); });
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

namespace {

// Positions in a box that holds Unicode: one per character, a code page
// 949 lead byte and its trail byte being one.
std::size_t characters(const std::string& text, std::size_t from, std::size_t to)
{
    std::size_t count = 0;
    for (std::size_t i = from; i < to; ++i, ++count)
        if (static_cast<unsigned char>(text[i]) >= 0x81)
            ++i;
    return count;
}

// An edit control as the log box uses it, counting in bytes (9x) or in
// characters, driven by LogBoxLines' decisions as CLogBox drives it.
class SimulatedBox {
public:
    SimulatedBox(std::size_t budget, std::size_t trim, bool countsCharacters)
        : m_lines(budget, trim), m_characters(countsCharacters)
    {
    }
    void show(const std::string& log)
    {
        const std::size_t header = logHeaderLength(log);
        m_text = log.substr(0, header);
        m_lines.reset(header, positions(m_text, 0, header));
        std::size_t start = newestLinesStart(log, m_lines.budget());
        while (start < log.size()) {
            const std::size_t end = log.find('\n', start) + 1;
            appendLine(log.substr(start, end - start));
            start = end;
        }
    }
    void appendLine(const std::string& line)
    {
        const BoxSpan leaving = m_lines.makeRoom(line.size());
        const std::size_t from = byteAt(leaving.start);
        m_text.erase(from, byteAt(leaving.start + leaving.length) - from);
        m_text += line;
        m_lines.add(line.size(), positions(line, 0, line.size()));
        ASSERT_EQ(m_lines.bytes(), m_text.size());
        ASSERT_EQ(m_lines.positions(), positions(m_text, 0, m_text.size()));
    }
    const std::string& text() const { return m_text; }

private:
    std::size_t positions(const std::string& text, std::size_t from, std::size_t to) const
    {
        return m_characters ? characters(text, from, to) : to - from;
    }
    std::size_t byteAt(std::size_t position) const
    {
        std::size_t byte = 0;
        while (position > positions(m_text, 0, byte))
            byte += m_characters && static_cast<unsigned char>(m_text[byte]) >= 0x81 ? 2 : 1;
        return byte;
    }

    LogBoxLines m_lines;
    bool m_characters;
    std::string m_text;
};

// How many of the newest of `lines` the box shows after `header`; 0 when
// it is not the header and whole newest lines, in order.
std::size_t newestShown(const std::string& box, const std::string& header,
                        const std::vector<std::string>& lines)
{
    if (box.compare(0, header.size(), header) != 0)
        return 0;
    std::string shown;
    for (std::size_t count = 0; count <= lines.size(); ++count) {
        if (header + shown == box)
            return count;
        if (count < lines.size())
            shown.insert(0, lines[lines.size() - 1 - count]);
    }
    return 0;
}

struct BoxCase {
    const char* what;
    std::size_t budget;
    std::size_t trim;
    std::vector<std::string> lines;
};

} // namespace

TEST(LogBoxLines, ShowsTheHeaderAndTheNewestWholeLinesWithinItsBudget)
{
    const std::string header = std::string(kLogInitialText) + formatLogHeader();
    const std::string line = formatLogLine(5, {12, 34, 56}, 1, 1, 0); // 62 bytes, 7 double-byte
    std::vector<std::string> many;
    for (std::uint32_t cycle = 1; cycle <= 40; ++cycle)
        many.push_back(formatLogLine(cycle, {12, 34, 56}, cycle % 3, 1, 0));
    const std::string longLine(150, 'x');
    const std::size_t twoLines = header.size() + 2 * line.size();
    const BoxCase cases[] = {
        {"nothing to trim", LOG_BOX_BUDGET_BYTES, LOG_BOX_TRIM_BYTES, many},
        {"trimmed line by line", 200, 0, many},
        {"trimmed in batches", 400, 150, many},
        {"exactly the header and two lines", twoLines, 0, many},
        {"budget below the header: the newest line still shows", 10, 0, many},
        {"a line longer than the budget, then short ones", 200, 0, {line, line, longLine + "\r\n", line, line}},
        {"no lines yet", 200, 0, {}},
    };
    for (const BoxCase& c : cases) {
        for (const bool countsCharacters : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (countsCharacters ? ", Unicode box" : ", 9x box"));
            // Line by line, as the worker logs.
            SimulatedBox box(c.budget, c.trim, countsCharacters);
            box.show(header);
            std::vector<std::string> logged;
            std::string log = header;
            for (const std::string& next : c.lines) {
                box.appendLine(next);
                logged.push_back(next);
                log += next;
                // The header and the newest lines, the newest one at least;
                // within the budget; and no line gone that could have
                // stayed within `trim` below it.
                const std::size_t shown = newestShown(box.text(), header, logged);
                ASSERT_GE(shown, 1u) << logged.size() << " lines";
                EXPECT_TRUE(shown == 1 || box.text().size() <= c.budget) << logged.size() << " lines";
                if (shown < logged.size()) {
                    const std::size_t withOneMore = box.text().size() + logged[logged.size() - 1 - shown].size();
                    EXPECT_GT(withOneMore, c.budget - std::min(c.trim, c.budget)) << logged.size() << " lines";
                }
            }
            // Filled afresh from the whole log: as many of the newest lines
            // as the budget takes.
            SimulatedBox fresh(c.budget, c.trim, countsCharacters);
            fresh.show(log);
            const std::size_t shown = newestShown(fresh.text(), header, logged);
            EXPECT_TRUE(shown == logged.size() || fresh.text().size() + logged[logged.size() - 1 - shown].size() > c.budget);
            if (c.trim == 0) {
                EXPECT_EQ(fresh.text(), box.text());
            }
        }
    }
}

// Removing text costs about as much as adding a line, so a full box lets
// lines leave about a hundred at a time (6,000 bytes below the 60,000
// budget), never one with every line.
TEST(LogBoxLines, FullBoxLetsLinesLeaveInBatchesOfAboutAHundred)
{
    LogBoxLines box;
    const std::size_t header = 24, line = 62;
    box.reset(header, header);
    std::vector<std::size_t> batches;
    for (int i = 0; i < 2000; ++i) {
        const BoxSpan leaving = box.makeRoom(line);
        if (leaving.length != 0)
            batches.push_back(leaving.length / line);
        box.add(line, line);
    }
    // Full after 967 lines, then a batch every 98.
    EXPECT_EQ(batches, std::vector<std::size_t>(11, 98));
}

TEST(LogBoxLines, HeaderIsTheLogUpToItsFirstEmptyLine)
{
    EXPECT_EQ(logHeaderLength("Error Check"), 11u);
    EXPECT_EQ(logHeaderLength("Error Check  -  10ms\r\n\r\n x\r\n\r\n"), 24u);
}
