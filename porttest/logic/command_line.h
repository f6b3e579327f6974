// The program's command line: nothing at all for the operator's dialog as
// it always was, or a bounded run for a batch file:
//   Zorik.exe [/cycles:N] [/seconds:S] [/rate:P] [/report:FILE] [/result:FILE]
// or a station on a production line, one unit after another:
//   Zorik.exe /station:HISTORY.csv (/cycles:N | /seconds:S | /rate:P) [/units:FOLDER] [/line:SOURCE]
// Option names in any case, after "/" or "-"; /report only beside /cycles
// or /seconds; each option at most once. Anything else is refused as a
// whole, before anything runs, with a message naming the argument as
// written. So are file names that cannot hold a report: a device (CON,
// NUL, COM1 ...), the journal's own names, a folder, and /report and
// /result naming the same file.
#pragma once

#include "bounded_run.h"

#include <functional>
#include <string>

namespace zorik {

constexpr std::uint32_t MAX_RUN_CYCLES = 4294967295u;
constexpr std::uint32_t MAX_RUN_SECONDS = 2678400u; // 31 days

struct RunOptions {
    RunBounds bounds;           // none: the dialog as always
    std::string reportFile;     // empty: the report's usual name
    std::string resultFile;     // empty: no result file
    std::string stationFile;    // /station: the history; empty: no station
    std::string unitsFolder;    // /units: each unit's report and result file
    std::string lineSource;     // /line: the line database's ODBC source; empty: none
};

struct ParsedCommandLine {
    bool accepted = true;
    RunOptions options;
    std::string refusal; // when not accepted: the message box's text
};

// `commandLine` as GetCommandLineA gives it: the program's name (quoted or
// not) and then the arguments. A double quote starts or ends a quoted
// stretch in which blanks do not split; the quotes themselves are dropped.
// Code page 949 text splits safely byte by byte: no trail byte is a blank,
// a quote, "/", "-" or ":". `programPath` (GetModuleFileNameA's, or null)
// is what an unquoted program name may hold blanks and all: a launcher may
// start "C:\Program Files\Zorik\Zorik.exe" without quotes, and the rest
// of that path must not be taken for arguments. `isFolder` says whether a
// file name given to /report or /result is an existing folder, and
// `fullPath` (when given) makes a name the full path it stands for
// (GetFullPathNameA), so that "C:\work\u.txt" and "u.txt" in C:\work are
// seen to be one file; the program asks the file system nothing else.
ParsedCommandLine parseCommandLine(const char* commandLine, const char* programPath,
                                   const std::function<bool(const std::string&)>& isFolder,
                                   const std::function<std::string(const std::string&)>& fullPath = {});

} // namespace zorik
