// The journal: from the first cycle of the first test on, a file beside the
// report ("ErrorInfo.unsaved.txt") that holds at every moment the bytes
// "ErrorInfo.txt" would hold if the operator saved then, so that a killed
// program, a crash or a power cut loses at most the cycle in progress. It
// listens to the test's readings (reading.h):
//
//  - Each cycle's start rewrites the 35-byte count header in place (it never
//    changes length), so the count is never below a line's counter and is
//    current whenever a test stops; a cycle lasts about a third of a
//    second.
//  - Each disagreement's line is appended as it is read.
//  - A cycle that logged a line ends with a flush to the disk; a count
//    changed since the last flush is flushed once kCountFlushMs have
//    passed, so that a healthy unit costs one flush in that time.
//  - While it holds every line, the log keeps none in memory and the report
//    is copied from it (writeReport).
//  - A journal that cannot be made or written is given up for the rest of
//    the program's run: the log holds the lines from there on, the report
//    takes the journal's intact part and then those, and the failure is
//    reported once (takeFailureNotice). A file already made stays open,
//    unwritten, so that no other Zorik takes it for a left journal while
//    this one runs.
//  - Leaving the program closes and removes it (finish).
#pragma once

#include "journal_files.h"
#include "lock.h"
#include "loopback_log.h"
#include "reading.h"
#include "report_file.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zorik {

class TestJournal final : public ReadingListener {
public:
    // `tickCount`: GetTickCount, for the count's flushes; without it every
    // changed count is flushed at the cycle's end.
    TestJournal(const TestLog& log, JournalFileSystem& files, std::function<std::uint32_t()> tickCount = {});
    TestJournal(const TestJournal&) = delete;
    TestJournal& operator=(const TestJournal&) = delete;

    static constexpr std::uint32_t kCountFlushMs = 5000;

    // --- the worker thread (one worker at a time) ---

    // The first cycle makes the journal: the count header and the whole
    // log so far.
    void cycleBegun(std::uint32_t count) override;
    void reading(const Reading& reading) override;
    void cycleEnded(std::uint32_t count) override;

    // --- any thread ---

    // True while the file holds every line logged: the log need not.
    bool holdsLines() const;

    // --- the UI thread, once no worker runs ---

    // The report as it stands, to `name`: the count header, the journal's
    // intact part (read back from the disk, a piece at a time) and the
    // lines the log held beyond it. False when it could not be written.
    bool writeReport(std::uint32_t count, ReportFileSystem& files, const std::string& name);

    // Closes the journal and removes it, unless `keep` (the operator's
    // report could not be saved: the journal is then all there is, and the
    // next start recovers it). What the removal came to: the caller tells
    // the operator when the file could not be removed.
    FileResult finish(bool keep);
    // After finish, for a station's next unit: the next cycle makes a new
    // journal of the log as it then stands.
    void restart();

    // --- any thread ---

    // The operator's message about the first failure, once; nothing when
    // there is none or it has been taken.
    std::optional<std::string> takeFailureNotice();
    // The name of the journal being written, empty when there is none.
    std::string fileName() const;
    // The name of the journal this run made, written to the end or not;
    // empty when none was made or finish has closed it.
    std::string madeName() const;
    // What to tell the operator when finish could not remove the journal.
    std::string removalNotice(const FileResult& result);

    // Called once, on the failing thread, when the journal fails; it must
    // not block (the worker's cycle is timed). The dialog posts itself a
    // message and shows takeFailureNotice() from the UI thread.
    std::function<void()> onFailure;

private:
    void create(std::uint32_t count);
    bool write(std::uint64_t offset, const std::string& bytes);
    void flush();
    void fail(const std::string& name, const FileResult& result);
    void announceIfFailedNow(bool wasFailed);
    bool copyIntactPart(ReportFile& report);

    const TestLog& m_log;
    JournalFileSystem& m_files;
    std::function<std::uint32_t()> m_tickCount;
    mutable Lock m_lock;
    std::unique_ptr<JournalFile> m_file;
    std::string m_name;              // the file made
    std::string m_finishedName;      // the file finish closed
    std::uint64_t m_size = 0;        // intact bytes in the file
    std::size_t m_logBytesAtStart = 0; // of the log, in the file from its making
    bool m_begun = false;            // made, or tried and failed
    bool m_failed = false;
    bool m_linesUnflushed = false;
    bool m_countUnflushed = false;
    std::uint32_t m_lastFlushMs = 0;
    std::optional<std::pair<std::string, FileResult>> m_failure; // not yet told
};

} // namespace zorik
