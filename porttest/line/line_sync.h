// The station's side of the line's database, one round at a time on the
// line's own thread (app/windows_line_link.h wakes it: a unit's row, a
// serial read, every minute while rows wait):
//  1. connect when not connected (the driver's login time-out ends a
//     connect that hangs), and make the table and views that are absent;
//  2. send the waiting rows, oldest first, each in a transaction of its
//     own: looked up by its key (station, serial, attempt, time) and
//     inserted only when absent, so that a row sent again after a kill, or
//     after an answer that never came, is not written twice;
//  3. read the line's rows the UI asked for: every row of the serials
//     tested since the day began, and every row of the serial under test.
// Whatever fails ends the connection, and the round (after one more try on
// a new connection when the failed one was left from an earlier round);
// the rows stay waiting, in order. The UI only reads
// state(): it never waits on the database.
#pragma once

#include "lock.h"
#include "history_csv.h"
#include "line_database.h"
#include "line_outbox.h"

#include <string>
#include <vector>

namespace zorik {

struct LineState {
    bool connected = false;
    std::size_t waiting = 0;
    // The last trouble in the driver's words, the source scrubbed out;
    // `troubles` counts them, so that each is shown once (the same words
    // again with no row sent meanwhile count once).
    std::string trouble;
    std::uint32_t troubles = 0;
    // The line's rows read in the last round that reached the database,
    // for `day` and `serial` as asked then.
    bool haveRows = false;
    std::string rowsDay;
    std::string rowsSerial;
    std::vector<HistoryRow> rows;
};

class LineSync {
public:
    LineSync(LineDatabase& database, LineOutbox& outbox, std::string source);

    // From the UI: the day whose rows the yield counts, and the serial
    // under test ("" for none), read at the next round.
    void want(const std::string& day, const std::string& serial);

    // One round (above). True when it reached the database and nothing
    // waits.
    bool round();

    LineState state();

private:
    bool attempt();
    bool fail(const LineAnswer& answer);
    bool makeAbsentObjects();
    bool send(const HistoryRow& row);

    LineDatabase& m_database;
    LineOutbox& m_outbox;
    std::string m_source;
    bool m_objectsChecked = false;
    bool m_quiet = false; // a failure now is retried at once, not shown
    bool m_sentSinceTrouble = false;

    Lock m_lock; // guards what follows
    std::string m_day;
    std::string m_serial;
    LineState m_state;
};

// The driver's message with the source taken out: a connection string
// (with its password) or any PWD=/Password= value in it is never shown,
// written or logged.
std::string scrubSource(const std::string& message, const std::string& source);

// The line's rows and the station's own, each row once (by time, station,
// serial and attempt), oldest first: what attempts, repair and yield
// count with /line. Rows the database has not taken yet are the
// station's own.
std::vector<HistoryRow> mergeLineRows(const std::vector<HistoryRow>& local, const std::vector<HistoryRow>& line);

} // namespace zorik
