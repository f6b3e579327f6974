// The station's history: HISTORY.csv, shared by every station of a line
// (a folder on a share), one row appended per unit, and a pending file per
// running program for the rows the history could not take yet.
//
// Several stations, one file. Every append happens under a hold on the
// history: the file opened without sharing (on a share, the file server's
// lock), tried again every 100 ms for up to 5 s while another station has
// it (the banner says it waits). Under the hold the station reads the whole
// history again, so that the unit's attempt, the fixture check and the
// day's yield count every station's rows, appends, and lets go. Two
// stations therefore number one serial's attempts across both and never
// write a row twice or over another's.
//
// No row is lost or written twice, whatever ends the program:
//  1. A new row is first appended to this program's own pending file,
//     HISTORY.csv.OWNER.pending (OWNER: the computer's name and the
//     process id, since two programs on one computer are two writers), and
//     flushed: from then on it is on the disk. The program keeps that file
//     open, shared with readers only, from its first row to its end.
//  2. Under the hold, the pending file's rows, oldest first, and those of
//     any pending file another program left behind (one nobody has open:
//     its program has ended, or was killed; an older version's single
//     HISTORY.csv.pending; the rows a program could only write beside
//     itself at its end) are appended to the history in one
//     write and flushed, each unless the history already holds that very
//     line: a row carries its time, station, serial and attempt, so two
//     rows are never the same line, and a line found there is one an
//     earlier merge wrote before it was ended (killed, power cut) between
//     steps 2 and 3.
//  3. Still under the hold, the own pending file is emptied and the left
//     ones are removed. Should that fail, step 2 of the next merge finds
//     their rows already there and skips them.
// A pending file in use is a live program's: only that program merges it.
// A history that cannot be held leaves the rows in the pending file until
// a later merge succeeds; their attempt is then counted from the rows last
// read. Only when neither file can be written is a row held in memory (and
// said): it goes to the files, in its place, at the next unit, and at the
// program's end (flushAtEnd) to the unwritten file beside the program
// when it still cannot.
//
// Reading: a line ends at its LF whatever its quotes (no field of a row
// holds a line end), so a line torn inside a quoted field hides nothing
// after it. Lines that are no row (torn by a power cut, changed by a
// spreadsheet) are counted and named, never skipped silently. A torn last
// line is ended with CR LF before anything is appended after it.
#pragma once

#include "history_csv.h"
#include "history_files.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zorik {

// Lines of one file that are no row.
struct DamagedLines {
    std::string file;
    std::uint32_t count = 0;
    std::vector<std::uint64_t> lines; // the first few, numbered from 1
};

class StationHistory {
public:
    // `owner` makes the pending file this program's own: "PC7-1234".
    // `unwrittenName`: where rows go at the end when neither file takes
    // them (beside the program, named after the history's full path, so
    // that only a station on this history merges them); empty: nowhere.
    StationHistory(HistoryFiles& files, std::string name, std::string owner, std::string unwrittenName = {});
    ~StationHistory();
    StationHistory(const StationHistory&) = delete;
    StationHistory& operator=(const StationHistory&) = delete;

    // Called with the time waited so far each time the hold is tried
    // again (the banner says it waits).
    using Waiting = std::function<void(unsigned waitedMs)>;

    // At start: the history's rows, then every pending file's not in it
    // yet. Missing files are an empty history; anything else that keeps
    // the history from being read (after waiting for a station that holds
    // it, when `waiting` is given) is returned, and nothing is read.
    FileResult load(const Waiting& waiting = {});
    // Between units: the rows read again when the history's size changed
    // (always when `always`), so that another station's rows count. False
    // when it could not be read; the rows are then as they were.
    bool refresh(bool always, const Waiting& waiting = {});

    const std::vector<HistoryRow>& rows() const { return m_rows; }
    const std::vector<DamagedLines>& damaged() const { return m_damaged; }
    const std::string& name() const { return m_name; }
    std::string pendingName() const { return m_name + '.' + m_owner + ".pending"; }
    // An older version's one pending file for every station.
    std::string sharedPendingName() const { return m_name + ".pending"; }
    const std::string& unwrittenName() const { return m_unwrittenName; }

    enum class Place { History, Pending, Memory };
    struct Written {
        Place place = Place::History;
        FileResult history; // why the history did not take it
        FileResult pending; // why the pending file did not either
        HistoryRow row;     // as written: its attempt and FixtureSuspect
    };
    // Adds `row` to the files as above, its attempt and FixtureSuspect
    // counted from the rows read under the hold; the attempt at least
    // `fewestAttempt` (the line's database counts rows this file lacks).
    // `made` hears the row as it will be written, before any file has it
    // (the line's outbox takes it first).
    Written append(HistoryRow row, const Waiting& waiting = {}, std::uint32_t fewestAttempt = 0,
                   const std::function<void(const HistoryRow&)>& made = {});

    // The program's end: one more merge; then rows still only in memory go
    // to the unwritten file. What is still not in the history: the rows
    // (serial and attempt) and where they wait.
    struct Left {
        std::vector<HistoryRow> rows;
        std::string file;   // where they are; empty: nowhere but in `text`
        std::string text;   // the rows' bytes when no file took them
    };
    Left flushAtEnd(const Waiting& waiting = {});

private:
    std::unique_ptr<HistoryFile> holdHistory(FileResult& result, const Waiting& waiting);
    FileResult readShared(const std::string& name, std::string& bytes, const Waiting& waiting);
    void readRows(const std::string& history, bool shared);
    std::vector<std::string> otherPendingNames();
    bool ownPendingOpen(FileResult& result);
    FileResult merge(HistoryFile& history, const std::string& historyBytes);

    HistoryFiles& m_files;
    std::string m_name;
    std::string m_owner;
    std::string m_unwrittenName;
    std::unique_ptr<HistoryFile> m_pending; // own, from the first row on
    std::vector<HistoryRow> m_rows;
    std::vector<DamagedLines> m_damaged;
    std::uint64_t m_sizeRead = ~std::uint64_t{0};
    std::string m_unwritten; // rows neither file took yet, oldest first
};

// The attempt and pause of the hold: tried again every kHoldPauseMs for up
// to kHoldWaitMs.
constexpr unsigned kHoldPauseMs = 100;
constexpr unsigned kHoldWaitMs = 5000;

} // namespace zorik
