// The line's table and views, and a unit's row as the parameters of the
// statements that write and read it. Plain SQL that PostgreSQL, SQL
// Server and MySQL 8 all read: no ON CONFLICT, no IF NOT EXISTS; what
// is absent is found through information_schema, and a row already
// there is found by its key before it is inserted (line_sync.h).
#pragma once

#include "history_csv.h"
#include "line_database.h"

#include <string>
#include <vector>

namespace zorik {

// The table and the views, by name, with the statements that make them,
// in the order they are made (the views read the table).
struct LineObject {
    const char* name;
    const char* statements[3]; // nullptr after the last
};
extern const LineObject kLineObjects[3];

// The names of those of lineObjects() that exist, one per row.
extern const char kLineListObjects[];

// Inserted only when kLineFindUnit finds no row with its key.
extern const char kLineFindUnit[];
extern const char kLineInsertUnit[];
// Every row of the serials tested since a time, and of one serial, oldest
// first: the line's rows a station counts attempts and yield from.
extern const char kLineSelectRows[];

// kLineInsertUnit's parameters, in its order.
std::vector<LineValue> unitParameters(const HistoryRow& row);
// kLineFindUnit's: station, serial, attempt, time.
std::vector<LineValue> unitKeyParameters(const HistoryRow& row);
// kLineSelectRows's: since `day` (its midnight) or `serial`.
std::vector<LineValue> lineRowsParameters(const std::string& day, const std::string& serial);

// One of kLineSelectRows's rows; false when it is no unit's row.
bool lineRow(const std::vector<std::string>& columns, HistoryRow& row);

} // namespace zorik
