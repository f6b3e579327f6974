// The journal through its file seam: what is on "disk" while the real
// worker runs, which name it takes beside other programs' files, what a
// failure leaves, and the recovery of left journals at start-up.
#include "journal_recovery.h"
#include "log_listener.h"
#include "loopback_fakes.h"
#include "loopback_worker.h"
#include "memory_journal_files.h"
#include "program_texts.h"
#include "report_file.h"
#include "test_tally.h"
#include "unit_start.h"

#include <functional>

#include <gtest/gtest.h>

#include <map>

using namespace zorik;
using namespace zorik::testing;

namespace {

const std::string kJournal = "ErrorInfo.unsaved.txt";
const std::string kHead = "Error Check  -  10ms\r\n\r\n";

// Writes reports into memory, as the exit button would to a file.
class MemoryReportFiles : public ReportFileSystem {
public:
    std::unique_ptr<ReportFile> create(const std::string& name) override
    {
        struct File : ReportFile {
            explicit File(std::string& bytes) : m_bytes(bytes) {}
            bool write(const char* data, std::size_t size) override
            {
                m_bytes.append(data, size);
                return true;
            }
            bool close() override { return true; }
            std::string& m_bytes;
        };
        files[name].clear();
        return std::make_unique<File>(files[name]);
    }
    std::map<std::string, std::string> files;
};

// The real worker on this thread against a unit with nothing wired (every
// output driven on logs a line), its readings going to the journal and then
// the log, as in the program.
struct JournaledRun {
    JournaledRun()
    {
        services.setRandomValues({7, 2, 5, 0}); // 3, 1, 2 and 0 lines
        journal.onFailure = [this] { ++failuresAnnounced; };
        readings.add(journal);
        readings.add(logListener);
        readings.add(dialog);
    }
    // `cycles` cycles; `atSleep` runs at every wait of the worker.
    void run(std::uint32_t cycles, std::function<void()> atSleep = {})
    {
        const std::uint32_t last = counter.value() + cycles;
        services.onSleep = [=](unsigned) {
            if (atSleep)
                atSleep();
            if (counter.value() == last && flag.value() == 1)
                flag.onTestButton(button);
        };
        flag.onTestButton(button);
        TestThreadProc(dialog, services, readings, flag, counter);
    }
    // The report as the log would give it, every line held in memory.
    std::string reportNow() const
    {
        std::string log = kHead;
        for (const std::string& line : dialog.lines())
            log += line;
        return reportFileBytes({counter.value(), log});
    }
    std::string reportWritten()
    {
        MemoryReportFiles reports;
        EXPECT_TRUE(journal.writeReport(counter.value(), reports, "ErrorInfo.txt"));
        return reports.files["ErrorInfo.txt"];
    }

    MemoryJournalFiles files;
    TestLog log{kHead};
    FakeServices services{unwiredUnit};
    TestJournal journal{log, files, [this] { return services.tickCount(); }};
    LogListener logListener{log, &journal, {}};
    FakeDialog dialog;
    ReadingStream readings;
    RunFlag flag;
    CycleCounter counter;
    FakeButtonActions button;
    int failuresAnnounced = 0;
};

TEST(TestJournal, HoldsTheReportAtEveryWaitAndEachCycleIsOnDiskBeforeTheNext)
{
    JournaledRun run;
    std::uint32_t seenCycle = 0;
    run.run(8, [&] {
        const auto& file = run.files.entries[kJournal];
        EXPECT_EQ(file.bytes, run.reportNow());
        if (run.counter.value() != seenCycle) { // a cycle has just begun
            if (seenCycle != 0) {
                EXPECT_EQ(file.flushed.substr(35), file.bytes.substr(35)) << "cycle " << seenCycle;
            }
            seenCycle = run.counter.value();
        }
    });
    EXPECT_EQ(run.dialog.lines().size(), 12u);
    EXPECT_EQ(run.files.flushes, 6) << "one flush a cycle that logged";
    EXPECT_EQ(run.files.entries[kJournal].flushed.substr(35), run.reportNow().substr(35));
    EXPECT_FALSE(run.journal.takeFailureNotice());
    EXPECT_EQ(run.log.text(), kHead) << "lines on disk are not held in memory";
    EXPECT_EQ(run.reportWritten(), run.reportNow());

    // A second test of the same run goes on in the same file.
    run.run(4);
    EXPECT_EQ(run.files.bytesOf(kJournal), run.reportNow());
    run.journal.finish(false);
    EXPECT_TRUE(run.files.entries.empty());
}

TEST(TestJournal, NeverTouchesAnotherProgramsFile)
{
    struct Row {
        const char* there;
        bool held;
        const char* taken;
    } rows[] = {
        {"", false, "ErrorInfo.unsaved.txt"},
        {"ErrorInfo.unsaved.txt", true, "ErrorInfo.unsaved-2.txt"},   // another Zorik's
        {"ErrorInfo.unsaved.txt", false, "ErrorInfo.unsaved-2.txt"},  // left, not recovered
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.there);
        JournaledRun run;
        if (*row.there) {
            run.files.entries[row.there].bytes = "theirs";
            run.files.entries[row.there].heldByOther = row.held;
        }
        run.run(2);
        EXPECT_EQ(run.journal.fileName(), row.taken);
        EXPECT_EQ(run.files.bytesOf(row.taken), run.reportNow());
        run.journal.finish(false);
        EXPECT_FALSE(run.files.entries.count(row.taken));
        if (*row.there) {
            EXPECT_EQ(run.files.bytesOf(row.there), "theirs");
        }
    }
}

TEST(TestJournal, AFailureIsToldOnceAndTheTestGoesOnInMemory)
{
    struct Row {
        const char* what;
        std::function<void(MemoryJournalFiles&)> fault;
        const char* words;
    } rows[] = {
        {"a folder of that name", [](MemoryJournalFiles& f) { f.entries[kJournal].folder = true; }, "words for 5."},
        {"disk full when made", [](MemoryJournalFiles& f) { f.failWrite = 1; }, "words for 112."},
        {"disk full at a line", [](MemoryJournalFiles& f) { f.failWrite = 4; }, "words for 112."},
        {"media removed", [](MemoryJournalFiles& f) { f.failFlush = true; }, "words for 21."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        JournaledRun run;
        row.fault(run.files);
        run.run(8);
        const int writes = run.files.writes;
        run.run(4);
        EXPECT_EQ(run.files.writes, writes) << "nothing written once failed";
        EXPECT_EQ(run.dialog.lines().size(), 12u + 6u) << "the log goes on";
        EXPECT_EQ(run.reportWritten(), run.reportNow()) << "the journal's intact part, then memory";
        EXPECT_EQ(run.journal.fileName(), "") << "no journal being written";
        EXPECT_EQ(run.failuresAnnounced, 1);
        const auto notice = run.journal.takeFailureNotice();
        ASSERT_TRUE(notice);
        EXPECT_NE(notice->find(kJournal), std::string::npos) << *notice;
        EXPECT_NE(notice->find(row.words), std::string::npos) << *notice;
        EXPECT_FALSE(run.journal.takeFailureNotice()) << "told once";
        run.journal.finish(false);
        const bool folder = run.files.entries.count(kJournal) && run.files.entries[kJournal].folder;
        EXPECT_EQ(run.files.entries.size(), folder ? 1u : 0u) << "removed when leaving";
    }
}

TEST(TestJournal, KeptWhenTheReportCouldNotBeSaved)
{
    JournaledRun run;
    run.run(3);
    run.journal.finish(true);
    EXPECT_EQ(run.files.bytesOf(kJournal), run.reportNow());
    EXPECT_FALSE(run.files.entries[kJournal].openHere);
}

// A station's next unit starts from nothing: the real worker tests a unit
// with nothing wired, its memory runs out and its bound is reached; each of
// what the last unit left is then reset, and the next unit's journal holds
// only the next unit.
TEST(TestJournal, AStationsNextUnitStartsFromNothing)
{
    JournaledRun run;
    TestTally tally;
    Diagnosis diagnosis;
    run.readings.add(tally);
    run.readings.add(diagnosis);
    run.run(12);
    run.flag.stopAtBound();
    run.flag.stopOutOfMemory();
    const std::string initial = "HEAD 2\r\n\r\n", header = "UNIT 2\r\n";
    const struct {
        const char* what;
        std::function<bool()> fresh;
    } resets[] = {
        {"cycle counter", [&] { return run.counter.value() == 0; }},
        {"tally", [&] { return tally.disagreements() == 0; }},
        {"diagnosis",
         [&] {
             return diagnosis.input(0).readings == 0 && diagnosis.input(0).finding == Finding::Undetermined &&
                    diagnosis.unit() == UnitPresence::Undetermined;
         }},
        {"log", [&] { return run.log.text() == initial + header; }},
        {"bound flag", [&] { return !run.flag.boundReached(); }},
        {"out-of-memory mark", [&] { return !run.flag.outOfMemory(); }},
        {"journal", [&] { return run.journal.madeName().empty() && run.files.entries.count(kJournal) == 0; }},
    };
    for (const auto& reset : resets)
        EXPECT_FALSE(reset.fresh()) << reset.what << " had nothing to reset";
    startNextUnit({run.counter, tally, diagnosis, run.log, run.flag, run.journal}, false, initial, header);
    for (const auto& reset : resets)
        EXPECT_TRUE(reset.fresh()) << reset.what << " kept the last unit's";

    // The next unit's journal: its own header and its one cycle; the tally
    // counts that cycle's lines only.
    const std::size_t linesBefore = run.dialog.lines().size();
    run.run(1);
    EXPECT_EQ(run.counter.value(), 1u);
    const std::string& journal = run.files.entries[kJournal].bytes;
    EXPECT_NE(journal.find("UNIT 2"), std::string::npos) << journal;
    EXPECT_EQ(journal.find(" 0000000000000002 : "), std::string::npos) << journal; // no cycle of the last unit
    EXPECT_EQ(tally.disagreements(), run.dialog.lines().size() - linesBefore);
    EXPECT_GT(tally.disagreements(), 0u);

    // A unit whose report could not be written keeps its journal for the
    // next start's recovery; the next unit takes another name.
    startNextUnit({run.counter, tally, diagnosis, run.log, run.flag, run.journal}, true, initial, header);
    EXPECT_EQ(run.files.entries.count(kJournal), 1u);
    run.run(1);
    EXPECT_NE(run.journal.madeName(), kJournal);
}

TEST(JournalRecovery, RenamesLeftJournalsByTheirLastWriteAndNeverReplaces)
{
    const std::string recovered = "ErrorInfo.recovered-20261208-141503.txt";
    struct Row {
        const char* what;
        std::function<void(MemoryJournalFiles&)> setUp;
        std::vector<std::string> renamedTo;  // in the message and on disk, with the journal's bytes
        std::vector<std::string> untouched;  // journals still there
    } rows[] = {
        {"nothing left", [](MemoryJournalFiles&) {}, {}, {}},
        {"one left", [](MemoryJournalFiles& f) { f.entries[kJournal].bytes = "J"; }, {recovered}, {}},
        {"its name taken",
         [&](MemoryJournalFiles& f) {
             f.entries[kJournal].bytes = "J";
             f.entries[recovered].bytes = "older";
         },
         {"ErrorInfo.recovered-20261208-141503-2.txt"}, {}},
        {"held by a running Zorik", [](MemoryJournalFiles& f) { f.entries[kJournal].heldByOther = true; }, {}, {kJournal}},
        {"a folder of that name", [](MemoryJournalFiles& f) { f.entries[kJournal].folder = true; }, {}, {kJournal}},
        {"the first held by a running Zorik, the second left by a crashed one",
         [](MemoryJournalFiles& f) {
             f.entries[kJournal].heldByOther = true;
             f.entries["ErrorInfo.unsaved-2.txt"].bytes = "J";
             f.entries["ErrorInfo.unsaved-2.txt"].written = {2027, 1, 2, 3, 4, 5};
         },
         {"ErrorInfo.recovered-20270102-030405.txt"}, {kJournal}},
        {"a second program's too",
         [](MemoryJournalFiles& f) {
             f.entries[kJournal].bytes = "J";
             f.entries["ErrorInfo.unsaved-2.txt"].bytes = "J";
             f.entries["ErrorInfo.unsaved-2.txt"].written = {2027, 1, 2, 3, 4, 5};
         },
         {recovered, "ErrorInfo.recovered-20270102-030405.txt"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryJournalFiles files;
        row.setUp(files);
        const std::string told = recoverLeftJournals(files);
        EXPECT_EQ(told.empty(), row.renamedTo.empty()) << told;
        for (const std::string& name : row.renamedTo) {
            EXPECT_NE(told.find(name), std::string::npos) << told;
            EXPECT_EQ(files.bytesOf(name), "J");
        }
        for (const std::string& name : row.untouched)
            EXPECT_TRUE(files.entries.count(name));
        if (files.entries.count(recovered) && row.renamedTo.size() == 1 && row.renamedTo[0] != recovered) {
            EXPECT_EQ(files.bytesOf(recovered), "older");
        }
    }
}

// A journal's bytes as text mode writes them (CR CR LF).
const std::string kHeader = "Count Data : 0000000000000005\r\r\n\r\r\n";
const std::string kLogHeader = "Error Check  -  10ms\r\r\n\r\r\n";
const std::string kLine = " 0000000000000005 : 13\xBD\xC3 05\xBA\xD0 09\xC3\xCA - \xC0\xD4\xB7\xC2[2] : "
                          "\xC3\xE2\xB7\xC2[2] = ON : OFF\r\r\n";
const std::string kClean = kHeader + kLogHeader + kLine + kLine;
const char kBytesWord[] = "\xB9\xD9\xC0\xCC\xC6\xAE"; // 바이트

std::string zeros(std::size_t count)
{
    return std::string(count, '\0');
}

std::string manyLines(std::size_t count)
{
    std::string lines;
    for (std::size_t i = 0; i < count; ++i)
        lines += kLine;
    return lines;
}

TEST(JournalRecovery, CutsATornEndAfterTheLastWholeLineAndNothingThatMayBeResults)
{
    const std::string recovered = "ErrorInfo.recovered-20261208-141503.txt";
    struct Row {
        const char* what;
        std::string body, tail; // the journal is body + tail
        bool cut;               // the tail goes; otherwise every byte stays
    } rows[] = {
        {"clean", kClean, "", false},
        {"zeros after the last line", kClean, zeros(500), true},
        {"half a line after the last", kClean, " 0000000000000006 : 14", true},
        {"a line end torn after its CR CR", kClean, "\r\r", true},
        {"CR LF is no journal line end", kClean, "abc\r\n", true},
        {"zeros between whole lines stay", kHeader + kLogHeader + zeros(10) + kLine, zeros(7), true},
        {"header only", kHeader, "", false},
        {"the log's header torn", kHeader, "Error Ch" + zeros(100), true},
        {"shorter than the header", "Count Data : 00000000", "", false},
        {"zeros inside the header", "Count Data : 000000000", zeros(14) + zeros(40), false},
        {"a header's first line alone", "Count Data : 0000000000000005\r\r\n", zeros(30), false},
        // the tail is read back in chunks of 4 KB: a line end across their border
        {"4094 zeros", kClean, zeros(4094), true},
        {"4095 zeros", kClean, zeros(4095), true},
        {"4096 zeros", kClean, zeros(4096), true},
        {"4097 zeros", kClean, zeros(4097), true},
        {"a 64 KB cluster of zeros and a bit", kClean + kLine, zeros(65536 + 70), true},
        {"a 1 MB journal, its tail alone read", kHeader + kLogHeader + manyLines(15000), zeros(100), true},
        {"no line end in the last 128 KB", kClean, zeros(128 * 1024), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryJournalFiles files;
        files.entries[kJournal].bytes = row.body + row.tail;
        const std::string told = recoverLeftJournals(files);
        EXPECT_EQ(files.bytesOf(recovered), row.cut ? row.body : row.body + row.tail);
        EXPECT_NE(told.find(recovered), std::string::npos) << told;
        EXPECT_EQ(told.find(kBytesWord) != std::string::npos, row.cut) << told;
        if (row.cut) {
            EXPECT_NE(told.find(std::to_string(row.tail.size()) + kBytesWord), std::string::npos) << told;
        }
        EXPECT_EQ(told.find(kTornEndNotFound) != std::string::npos, row.tail.size() == 128 * 1024) << told;
        EXPECT_LE(files.bytesRead, kTornEndScan + 64) << "the tail alone";
    }
}

TEST(JournalRecovery, ATornEndThatCannotBeCutIsKeptAndTheReasonTold)
{
    const std::string recovered = "ErrorInfo.recovered-20261208-141503.txt";
    struct Row {
        const char* what;
        std::function<void(MemoryJournalFiles&)> fault;
        const char* words;
    } rows[] = {
        {"cannot be read", [](MemoryJournalFiles& f) { f.failRead = FileResult{FileStatus::Failed, 23}; }, "words for 23."},
        {"cannot be cut", [](MemoryJournalFiles& f) { f.failTruncate = FileResult{FileStatus::Failed, 5}; }, "words for 5."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryJournalFiles files;
        files.entries[kJournal].bytes = kClean + zeros(9);
        row.fault(files);
        const std::string told = recoverLeftJournals(files);
        EXPECT_EQ(files.bytesOf(recovered), kClean + zeros(9)) << "renamed all the same";
        EXPECT_NE(told.find(recovered + " "), std::string::npos) << told;
        EXPECT_NE(told.find(row.words), std::string::npos) << told;
    }
}

TEST(JournalRecovery, AJournalThatCannotBeRenamedStaysAndIsNamedWithTheReason)
{
    MemoryJournalFiles files;
    files.entries[kJournal].bytes = "J";
    files.failRename = FileResult{FileStatus::Failed, 19};
    const std::string told = recoverLeftJournals(files);
    EXPECT_NE(told.find(kJournal), std::string::npos) << told;
    EXPECT_NE(told.find("words for 19."), std::string::npos) << told;
    EXPECT_EQ(files.bytesOf(kJournal), "J");
}

} // namespace
