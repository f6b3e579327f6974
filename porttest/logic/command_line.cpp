#include "command_line.h"

#include "program_texts.h"
#include "proof_rate.h"
#include "whole_file.h"

#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace zorik {

namespace {

const char kAccepted[] =
    "\r\n\r\nAccepted, each at most once, with / or - and in any case:\r\n"
    "  /cycles:N     end after N cycles, N from 1 to 4294967295\r\n"
    "  /seconds:S    end after S seconds of testing, S from 1 to 2678400 (31 days)\r\n"
    "  /report:FILE  write the report to FILE instead of ErrorInfo.txt\r\n"
    "  /result:FILE  write the diagnosis to FILE (an INI file) when the program ends after a test\r\n"
    "  /rate:P       end once an error rate below P percent is proved or the fault is named,\r\n"
    "                P from 0.1 to 50 (% optional, . as the decimal point, at most two decimals)\r\n"
    "  /station:FILE a station: test unit after unit by serial number, one row each in FILE (CSV)\r\n"
    "  /units:FOLDER with /station: each unit's report and result file in FOLDER, an existing folder\r\n"
    "  /line:SOURCE  with /station: each unit's row also in the line's database, SOURCE an ODBC\r\n"
    "                data source name or a connection string (Driver={...};Server=...)\r\n"
    "/report needs /cycles, /seconds or /rate beside it; /station needs one of them and takes\r\n"
    "neither /report nor /result. FILE is a file's name, not a folder nor a device\r\n"
    "(CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$, CONOUT$, CLOCK$) nor a name the\r\n"
    "program keeps for itself (ErrorInfo.unsaved*.txt, ErrorInfo.recovered-*.txt); /report and\r\n"
    "/result name two different files.";

struct Argument {
    std::string written; // as on the command line, quotes and all
    std::string value;   // without its quotes
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

char lowerCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The program's path written without quotes, blanks and all, as a launcher
// may hand it to CreateProcess; file names compare without regard to case.
const char* skipUnquotedPath(const char* p, const char* programPath)
{
    if (programPath == nullptr || *programPath == '\0')
        return nullptr;
    for (; *programPath != '\0'; ++p, ++programPath)
        if (lowerCase(*p) != lowerCase(*programPath))
            return nullptr;
    return *p == '\0' || isBlank(*p) ? p : nullptr;
}

const char* skipProgramName(const char* p, const char* programPath)
{
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else if (const char* afterPath = skipUnquotedPath(p, programPath)) {
        p = afterPath;
    } else {
        while (*p != '\0' && !isBlank(*p))
            ++p;
    }
    return p;
}

std::vector<Argument> splitArguments(const char* p)
{
    std::vector<Argument> arguments;
    for (;;) {
        while (isBlank(*p))
            ++p;
        if (*p == '\0')
            return arguments;
        Argument argument;
        bool quoted = false;
        for (; *p != '\0' && (quoted || !isBlank(*p)); ++p) {
            argument.written += *p;
            if (*p == '"')
                quoted = !quoted;
            else
                argument.value += *p;
        }
        arguments.push_back(argument);
    }
}

// "/name:rest" or "-name:rest" with `name` in any case; `rest` receives
// what follows the colon. False for another option or a missing colon.
bool isOption(const std::string& value, const char* name, std::string& rest, bool& colon)
{
    if (value.empty() || (value[0] != '/' && value[0] != '-'))
        return false;
    std::size_t i = 1;
    for (; name[i - 1] != '\0'; ++i)
        if (i >= value.size() || lowerCase(value[i]) != name[i - 1])
            return false;
    colon = i < value.size() && value[i] == ':';
    if (i < value.size() && !colon)
        return false; // "/cyclesx"
    rest = colon ? value.substr(i + 1) : std::string();
    return true;
}

// Plain decimal digits only: no sign, no blank, no hexadecimal.
bool parseCount(const std::string& text, std::uint32_t most, std::uint32_t& value)
{
    if (text.empty())
        return false;
    std::uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
        if (number > most)
            return false;
    }
    if (number == 0)
        return false;
    value = static_cast<std::uint32_t>(number);
    return true;
}

// The pieces one after the other, then what is accepted.
ParsedCommandLine refuse(std::initializer_list<std::string_view> pieces)
{
    ParsedCommandLine refused;
    refused.accepted = false;
    for (std::string_view piece : pieces)
        refused.refusal.append(piece.data(), piece.size());
    refused.refusal += kAccepted;
    return refused;
}

// --- file names as Windows reads them ---
// Code page 949 trail bytes are never "\\", "/", ":", "." or a blank, so
// those split a name safely byte by byte; only case folding must step over
// a double-byte character, whose trail byte may be an ASCII letter.

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool isLeadByte(char c)
{
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte >= 0x81 && byte <= 0xFE;
}

char folded(char c)
{
    return c == '/' ? '\\' : lowerCase(c);
}

// The same name to Windows: ASCII letters in any case, "/" and "\\" alike,
// a double-byte character's two bytes exactly.
bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (isLeadByte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
        } else if (folded(a[i]) != folded(b[i])) {
            return false;
        }
    }
    return true;
}

// Windows drops a name's trailing dots and blanks: "NUL." is NUL.
std::string_view withoutTrailingDotsAndBlanks(std::string_view name)
{
    while (!name.empty() && (name.back() == '.' || isBlank(name.back())))
        name.remove_suffix(1);
    return name;
}

// The name's last component: after the last separator, or after a drive
// ("C:con" is CON in drive C's current folder).
std::string_view lastComponent(std::string_view name)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (isSeparator(name[i]))
            start = i + 1;
    if (start == 0 && name.size() >= 2 && name[1] == ':')
        start = 2;
    return name.substr(start);
}

// The name without its leading ".\\" and trailing dots and blanks: what a
// name in the current folder compares as.
std::string_view comparable(std::string_view name)
{
    while (name.size() >= 2 && name[0] == '.' && isSeparator(name[1]))
        name.remove_prefix(2);
    return withoutTrailingDotsAndBlanks(name);
}

// Opening any of these opens the device whatever the folder and extension:
// a report written there is lost, or sent to a printer or a modem.
const char* deviceNamed(std::string_view name)
{
    static const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1",   "COM2",    "COM3",
                                           "COM4", "COM5", "COM6", "COM7", "COM8",   "COM9",    "LPT1",
                                           "LPT2", "LPT3", "LPT4", "LPT5", "LPT6",   "LPT7",    "LPT8",
                                           "LPT9", "CONIN$", "CONOUT$", "CLOCK$"};
    std::string_view stem = lastComponent(name);
    stem = withoutTrailingDotsAndBlanks(stem.substr(0, stem.find_first_of(".:")));
    for (const char* device : kDevices)
        if (sameName(stem, device))
            return device;
    return nullptr;
}

// The journal's names and those recovery renames left journals to
// (recoveredFileName), in the current folder: a report there would write
// over results, or be written over by the running test's journal.
bool isJournalName(std::string_view name)
{
    name = comparable(name);
    if (name.find_first_of("\\/:") != std::string_view::npos)
        return false;
    for (int number = 1; number <= kJournalNames; ++number)
        if (sameName(name, journalFileName(number)))
            return true;
    const std::string_view recovered = "ErrorInfo.recovered-", text = ".txt";
    return name.size() >= recovered.size() + text.size() && sameName(name.substr(0, recovered.size()), recovered) &&
           sameName(name.substr(name.size() - text.size()), text);
}

// A folder without asking the file system: "sub\\", ".", "..", "C:".
bool namesFolder(std::string_view name)
{
    return withoutTrailingDotsAndBlanks(lastComponent(name)).empty();
}

} // namespace

ParsedCommandLine parseCommandLine(const char* commandLine, const char* programPath,
                                   const std::function<bool(const std::string&)>& isFolder,
                                   const std::function<std::string(const std::string&)>& fullPath)
{
    ParsedCommandLine parsed;
    if (commandLine == nullptr)
        return parsed;
    enum { CYCLES, SECONDS, REPORT, RESULT, RATE, STATION, UNITS, LINE, OPTIONS };
    bool given[OPTIONS] = {};
    std::string written[OPTIONS];
    std::string& reportWritten = written[REPORT];
    std::string& resultWritten = written[RESULT];
    for (const Argument& argument : splitArguments(skipProgramName(commandLine, programPath))) {
        static const char* const kNames[OPTIONS] = {"cycles", "seconds", "report", "result", "rate", "station", "units", "line"};
        std::string rest;
        bool colon = false;
        int option = 0;
        while (option < OPTIONS && !isOption(argument.value, kNames[option], rest, colon))
            ++option;
        if (option == OPTIONS)
            return refuse({"Unknown argument \"", argument.written, "\"."});
        // A connection string may hold a password: a box never shows it.
        const std::string asWritten =
            option == LINE && rest.find('=') != std::string::npos ? "/line:(connection string)" : argument.written;
        const char* const name = kNames[option];
        if (given[option])
            return refuse({"Argument \"", asWritten, "\" gives /", name, " a second time."});
        given[option] = true;
        written[option] = asWritten;
        switch (option) {
        case CYCLES:
            if (!parseCount(rest, MAX_RUN_CYCLES, parsed.options.bounds.cycles))
                return refuse({"Bad argument \"", asWritten,
                               "\": the number of cycles must be a whole number from 1 to 4294967295."});
            break;
        case SECONDS:
            if (!parseCount(rest, MAX_RUN_SECONDS, parsed.options.bounds.seconds))
                return refuse({"Bad argument \"", asWritten,
                               "\": the number of seconds must be a whole number from 1 to 2678400."});
            break;
        case RATE:
            if (!parseRate(rest, parsed.options.bounds.rate))
                return refuse({"Bad argument \"", asWritten,
                               "\": the error rate to prove must be a percentage from 0.1 to 50, with at most two "
                               "decimals after a \".\" and \"%\" optional."});
            break;
        case LINE:
            if (rest.empty())
                return refuse({"Bad argument \"", asWritten, "\": no data source name or connection string after /line:."});
            parsed.options.lineSource = rest;
            break;
        case UNITS:
            if (rest.empty())
                return refuse({"Bad argument \"", asWritten, "\": no folder name after /units:."});
            if (const char* device = deviceNamed(rest))
                return refuse({"Bad argument \"", asWritten, "\": \"", rest, "\" names the device ", device, ", not a folder."});
            if (!isFolder || !isFolder(rest))
                return refuse({"Bad argument \"", asWritten, "\": \"", rest, "\" is no existing folder."});
            parsed.options.unitsFolder = rest;
            break;
        default:
            if (rest.empty())
                return refuse({"Bad argument \"", asWritten, "\": no file name after /", name, ":."});
            if (const char* device = deviceNamed(rest))
                return refuse({"Bad argument \"", asWritten, "\": \"", rest, "\" names the device ", device, ", not a file."});
            if (isJournalName(rest))
                return refuse({"Bad argument \"", asWritten, "\": \"", rest,
                               "\" is a name the program keeps for its journals, which hold test results."});
            if (namesFolder(rest) || (isFolder && isFolder(rest)))
                return refuse({"Bad argument \"", asWritten, "\": \"", rest, "\" is a folder, not a file."});
            (option == REPORT ? parsed.options.reportFile
                              : option == RESULT ? parsed.options.resultFile : parsed.options.stationFile) = rest;
            break;
        }
    }
    // As written, then as the full paths they stand for: one file by two
    // spellings is still one file.
    const auto sameFile = [&](const std::string& a, std::string_view b) {
        return sameName(comparable(a), comparable(b)) ||
               (fullPath && sameName(withoutTrailingDotsAndBlanks(fullPath(a)),
                                     withoutTrailingDotsAndBlanks(fullPath(std::string(b)))));
    };
    if (given[STATION]) {
        // The exit button's report goes to the usual name, over the history.
        if (sameFile(parsed.options.stationFile, kReportFileName))
            return refuse({"Argument \"", written[STATION], "\" names the report's own file \"", kReportFileName,
                           "\": the report saved at the end would overwrite the history."});
        if (!parsed.options.bounds.any())
            return refuse({"Argument \"", written[STATION],
                           "\" needs /cycles, /seconds or /rate beside it: each unit is tested for that length."});
        for (int option : {REPORT, RESULT})
            if (given[option])
                return refuse({"Argument \"", written[option],
                               "\" cannot go with /station: each unit's report and result file go to /units:FOLDER."});
    } else {
        if (given[UNITS])
            return refuse({"Argument \"", written[UNITS], "\" needs /station beside it: only a station tests units one by one."});
        if (given[LINE])
            return refuse({"Argument \"", written[LINE], "\" needs /station beside it: the line's database takes a station's units."});
    }
    // /rate beside a length too short to prove it could never pass a unit.
    if (const std::uint32_t rate = parsed.options.bounds.rate) {
        const std::string n = std::to_string(cyclesToProve(rate));
        if (given[CYCLES] && parsed.options.bounds.cycles < cyclesToProve(rate))
            return refuse({"Argument \"", written[CYCLES], "\" is too short for \"", written[RATE],
                           "\": proving that rate takes ", n, " cycles. Give /cycles:", n,
                           " or more, or leave /cycles out."});
        const std::string seconds = std::to_string(secondsToProve(rate));
        if (given[SECONDS] && parsed.options.bounds.seconds < secondsToProve(rate))
            return refuse({"Argument \"", written[SECONDS], "\" is too short for \"", written[RATE],
                           "\": proving that rate takes ", n, " cycles, at least ", seconds, " seconds. Give /seconds:",
                           seconds, " or more, or leave /seconds out."});
    }
    if (given[REPORT] && !parsed.options.bounds.any())
        return refuse({"Argument \"", reportWritten,
                       "\" needs /cycles, /seconds or /rate beside it: only a bounded run writes its report by itself."});
    if (given[RESULT]) {
        const std::string_view report = given[REPORT] ? std::string_view(parsed.options.reportFile) : kReportFileName;
        const std::string& result = parsed.options.resultFile;
        if (sameFile(result, report))
            return refuse({"Argument \"", resultWritten, given[REPORT] ? "\" names the same file as \"" : "\" names the report's own file \"",
                           given[REPORT] ? std::string_view(reportWritten) : report,
                           "\": the report and the diagnosis would overwrite each other."});
        // The result file is written under this name first (whole_file.h).
        const std::string temporary = temporaryNameFor(result);
        if (sameFile(temporary, report))
            return refuse({"Argument \"", resultWritten, "\" is first written as \"", temporary, "\", the file of \"",
                           reportWritten, "\": the diagnosis would overwrite the report."});
    }
    return parsed;
}

} // namespace zorik
