// The line's database as the station needs it, as a seam: the program
// passes ODBC (app/windows_odbc.h, odbc32.dll loaded at run time), host
// tests a stand-in that can be away, refuse a row or hold one already.
// Everything here is called on the line's own thread, never the UI's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorik {

// A parameter bound to a statement's "?": never pasted into its text.
struct LineValue {
    enum class Kind { Text, Integer, Timestamp };
    Kind kind = Kind::Text;
    std::string text;       // Text: code page 949 bytes; Timestamp: "YYYY-MM-DD HH:MM:SS"
    std::int64_t number = 0; // Integer
};

struct LineAnswer {
    bool ok = true;
    std::string state;   // SQLSTATE, five characters, when not ok
    std::string message; // the driver's own words (may hold the connection string: scrub before showing)
    std::vector<std::vector<std::string>> rows; // a query's rows, every column as text
};

class LineDatabase {
public:
    virtual ~LineDatabase() = default;
    // `source`: an ODBC data source name or a whole connection string.
    // Autocommit off: every statement belongs to a transaction that
    // finish() ends. A connect that does not answer ends by a login
    // time-out of a few seconds.
    virtual LineAnswer connect(const std::string& source) = 0;
    virtual bool connected() const = 0;
    virtual void disconnect() = 0;
    virtual LineAnswer execute(const std::string& sql, const std::vector<LineValue>& parameters) = 0;
    // Commits (`commit`) or rolls back the transaction under way.
    virtual LineAnswer finish(bool commit) = 0;
};

} // namespace zorik
