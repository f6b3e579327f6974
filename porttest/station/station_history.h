// The station's history: HISTORY.csv read at start, one row appended per
// unit, and HISTORY.csv.pending beside it for the rows the history could
// not take.
//
// No row is lost or written twice, whatever ends the program:
//  1. A new row is first appended to the pending file and flushed: from
//     then on it is on the disk whatever happens.
//  2. The pending file's rows, oldest first, are appended to the history
//     in one write and flushed, each unless the history already holds
//     that very line: a row carries its time, station, serial and
//     attempt, so two rows are never the same line, and a row found there
//     is one an earlier merge wrote before it was ended (killed, power
//     cut) between steps 2 and 3.
//  3. The pending file is removed. Should that fail, step 2 of the next
//     unit finds its rows already there and skips them.
// A history that cannot be written leaves the rows in the pending file
// until a later unit's step 2 succeeds. Only when neither file can be
// written is a row held in memory (and said): it goes to the files, in
// its place, at the next unit. A torn last line of the history (a write
// cut short) is ended with CR LF before anything is appended, and reading
// drops it, or a row read twice.
#pragma once

#include "history_csv.h"
#include "history_files.h"

#include <string>
#include <vector>

namespace zorik {

class StationHistory {
public:
    StationHistory(HistoryFiles& files, std::string name);

    // At start: the history's rows, then the pending file's rows not in it
    // yet. Missing files are an empty history; anything else that keeps
    // the history from being read is returned (and nothing is read).
    FileResult load();

    const std::vector<HistoryRow>& rows() const { return m_rows; }
    const std::string& name() const { return m_name; }
    std::string pendingName() const { return m_name + ".pending"; }

    enum class Place { History, Pending, Memory };
    struct Written {
        Place place = Place::History;
        FileResult history; // why the history did not take it
        FileResult pending; // why the pending file did not either
    };
    // Adds `row` to the rows and to the files as above.
    Written append(const HistoryRow& row);

private:
    FileResult appendTo(const std::string& name, const std::string& bytes, bool header);

    HistoryFiles& m_files;
    std::string m_name;
    std::vector<HistoryRow> m_rows;
    std::string m_unwritten; // rows neither file took yet, oldest first
};

} // namespace zorik
