// One row of the station's history (HISTORY.csv) per unit tested: the
// bytes of a row and of the header, and a row read back. CR LF ends every
// row; text is code page 949, which Excel on a Korean Windows opens as it
// is. A field is put in double quotes (inner quotes doubled) when it holds
// a comma, a double quote, a parenthesis or a line end: a Rule
// such as "(out1 AND NOT out2) OR (NOT out1 AND out2)" holds no comma
// today, but a reader never has to know that. A serial a spreadsheet
// would take for a formula or change as a number or a date (=A1, +5,
// 00123, 1-12) is written ="SERIAL" (in CSV quotes: "=""00123"""), which
// a spreadsheet shows as the text itself, and read back as SERIAL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorik {

// The header row, without its CR LF.
extern const char kHistoryHeader[];

struct HistoryRow {
    std::string time;    // local "YYYY-MM-DD HH:MM:SS" at the unit's end
    std::string station; // the computer's name
    std::string serial;
    std::uint32_t attempt = 0;
    std::string verdict; // PASS, FAIL or INCOMPLETE
    std::string ended;   // proved, finding, bound, early ...
    std::uint64_t cycles = 0;
    std::uint64_t seconds = 0;
    std::uint64_t disagreements = 0;
    std::string unit;    // present, absent, undetermined
    std::string input[3]; // each input's Finding word
    std::string rule[3];  // each input's Rule; empty when undetermined
    bool fixtureSuspect = false;
    std::string program; // Zorik's file version

    // The day part of `time`: "YYYY-MM-DD".
    std::string day() const { return time.substr(0, 10); }
};

// The row's bytes, CR LF at the end.
std::string formatHistoryRow(const HistoryRow& row);

// One line without its line end. False when it is no row: the header, a
// torn or foreign line, the wrong number of fields.
bool parseHistoryRow(const std::string& line, HistoryRow& row);

// The row's text columns, in the file's order, from `columns`, a row's 18
// fields as the file or the line's table holds them: the time and the
// numbers are the caller's, each being checked its own way.
void takeHistoryTextColumns(const std::vector<std::string>& columns, HistoryRow& row);

// The file's lines (ended by LF, CR LF or the end), without their line
// ends, whatever their quotes: a line torn inside a quoted field is one
// line, and the next is the next.
std::vector<std::string> historyLines(const std::string& bytes);

// True when a spreadsheet opening the file would not keep `serial` as it
// is: it starts with = + - @, or it holds digits and no letter but one E.
bool spreadsheetChanges(const std::string& serial);

} // namespace zorik
