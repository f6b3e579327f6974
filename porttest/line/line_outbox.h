// The rows the line's database has not taken yet, oldest first, in a file
// of this program's own beside the history, HISTORY.csv.OWNER.line (OWNER
// as the history's pending file: the computer's name and the process id),
// the history's own rows, CR LF, no header. None is lost while the
// database is away or when the program ends before they went:
//  - a unit's row is appended to the file and flushed before the history's
//    files get it, and before the line's thread is told;
//  - the file is emptied only once every row in it is in the database; a
//    program ended before that leaves it, and the next station program to
//    start on that history (this one again, or another) takes its rows
//    into its own file first and sends them: the database finds the ones
//    it holds already by their key and keeps one.
// The own file is kept open, shared with readers only, for the program's
// life, so that no other program takes it for a left one; it goes at the
// end when no row waits. Shared by the UI thread (add) and the line's
// thread (next, sent) under one lock; the database is never asked under it.
#pragma once

#include "history_csv.h"
#include "history_files.h"
#include "lock.h"

#include <memory>
#include <string>
#include <vector>

namespace zorik {

class LineOutbox {
public:
    LineOutbox(HistoryFiles& files, const std::string& history, const std::string& owner);
    ~LineOutbox();
    LineOutbox(const LineOutbox&) = delete;
    LineOutbox& operator=(const LineOutbox&) = delete;

    // At start: the rows other programs left (their files nobody has open)
    // taken into this program's own file, oldest file's rows first.
    void load();
    const std::string& name() const { return m_name; }

    // The row on the disk, then waiting. When the file cannot take it the
    // row waits in memory all the same (and goes to the file at the next
    // add that can write it); the failure is returned for the banner.
    FileResult add(const HistoryRow& row);

    // The oldest row waiting; false when none waits.
    bool next(HistoryRow& row);
    // next()'s row is in the database.
    void sent();
    std::size_t waiting();

private:
    FileResult write(const std::string& bytes);

    Lock m_lock;
    HistoryFiles& m_files;
    std::string m_history;
    std::string m_name;
    std::unique_ptr<HistoryFile> m_file; // own, open from the first write on
    std::vector<HistoryRow> m_rows;      // waiting, oldest first
    std::string m_unwritten;             // rows the file could not take yet
};

} // namespace zorik
