// The rows the line's database has not taken yet, oldest first, in a file
// of their own beside the history (the history's own rows, CR LF, no
// header), so that none is lost while the database is away or when the
// program ends before they went:
//  - a unit's row is appended to the file and flushed before the history
//    gets it, and before the line's thread is told;
//  - the file is removed only once every row in it is in the database. A
//    program ended before that sends them all again at its next start:
//    the database finds the ones it holds by their key and keeps one.
// Shared by the UI thread (add) and the line's thread (next, sent) under
// one lock; the database is never asked under it.
#pragma once

#include "lock.h"
#include "history_csv.h"
#include "history_files.h"

#include <vector>
#include <string>

namespace zorik {

class LineOutbox {
public:
    LineOutbox(HistoryFiles& files, std::string name);

    // At start: the rows an earlier run left. A file that cannot be read
    // is returned (and its rows wait there for a later start).
    FileResult load();
    const std::string& name() const { return m_name; }

    // The row on the disk, then waiting. When the file cannot take it the
    // row waits in memory all the same (and goes at the next add that
    // can write); the failure is returned for the banner.
    FileResult add(const HistoryRow& row);

    // The oldest row waiting; false when none waits.
    bool next(HistoryRow& row);
    // next()'s row is in the database.
    void sent();
    std::size_t waiting();

private:
    Lock m_lock;
    HistoryFiles& m_files;
    std::string m_name;
    std::vector<HistoryRow> m_rows; // waiting, oldest first
    std::string m_unwritten;       // rows the file could not take yet
    bool m_fileHoldsRows = false;  // the file exists with rows in it
};

} // namespace zorik
