// The journal: from the first cycle of the first test on, a file beside the
// report ("ErrorInfo.unsaved.txt") that holds at every moment the bytes
// "ErrorInfo.txt" would hold if the operator saved then, so that a killed
// program, a crash or a power cut loses at most the cycle in progress.
//
//  - Each cycle's start rewrites the 35-byte count header in place (it never
//    changes length), so the count is never below a line's counter and is
//    current whenever a test stops; a cycle lasts about a third of a
//    second.
//  - Each line is appended as soon as it has joined the log.
//  - Once a cycle's lines are all logged they are flushed to the disk: one
//    flush a cycle, during the cycle's last wait.
//  - A journal that cannot be made or written is given up for the rest of
//    the program's run; the log stays in memory as without one, and the
//    failure is reported once (takeFailureNotice).
//  - Leaving the program closes and removes it (finish).
#pragma once

#include "journal_files.h"
#include "lock.h"
#include "loopback_log.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zorik {

class TestJournal {
public:
    TestJournal(const TestLog& log, JournalFileSystem& files);
    TestJournal(const TestJournal&) = delete;
    TestJournal& operator=(const TestJournal&) = delete;

    // --- the worker thread (one worker at a time) ---

    // Cycle `count` has begun and logged nothing yet. The first call makes
    // the journal: the count header and the whole log so far.
    void cycleBegun(std::uint32_t count);
    // `line` has just been appended to the log.
    void lineLogged(const std::string& line);
    // The cycle's lines are all logged: onto the disk with them.
    void cycleLogged();

    // --- the UI thread, once no worker runs ---

    // Closes the journal and removes it, unless `keep` (the operator's
    // report could not be saved: the journal is then all there is, and the
    // next start recovers it).
    void finish(bool keep);

    // --- any thread ---

    // The operator's message about the first failure, once; nothing when
    // there is none or it has been taken.
    std::optional<std::string> takeFailureNotice();
    // The name of the journal being written, empty when there is none.
    std::string fileName() const;

    // Called once, on the failing thread, when the journal fails; it must
    // not block (the worker's cycle is timed). The dialog posts itself a
    // message and shows takeFailureNotice() from the UI thread.
    std::function<void()> onFailure;

private:
    void create(std::uint32_t count);
    bool write(std::uint64_t offset, const std::string& bytes);
    void fail(const std::string& name, const FileResult& result);
    // True once, after the first failure: time to call onFailure.
    bool announceFailure();

    const TestLog& m_log;
    JournalFileSystem& m_files;
    mutable Lock m_lock;
    std::unique_ptr<JournalFile> m_file;
    std::string m_name;      // the file made, kept after a failure so finish removes it
    std::uint64_t m_size = 0; // bytes in the file
    bool m_begun = false;     // made, or tried and failed
    bool m_failed = false;
    bool m_announced = false;
    std::optional<std::pair<std::string, FileResult>> m_failure; // not yet told
};

} // namespace zorik
