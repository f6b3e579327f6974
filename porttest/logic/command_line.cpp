#include "command_line.h"

#include <cstddef>
#include <vector>

namespace zorik {

namespace {

const char kAccepted[] =
    "\r\n\r\nAccepted, each at most once, with / or - and in any case:\r\n"
    "  /cycles:N     end after N cycles, N from 1 to 4294967295\r\n"
    "  /seconds:S    end after S seconds of testing, S from 1 to 2678400 (31 days)\r\n"
    "  /report:FILE  write the report to FILE instead of ErrorInfo.txt\r\n"
    "/report needs /cycles or /seconds beside it.";

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

// "<before> "<argument as written>"<after>", then what is accepted.
ParsedCommandLine refuse(const char* before, const std::string& written, const char* after)
{
    ParsedCommandLine refused;
    refused.accepted = false;
    refused.refusal += before;
    refused.refusal += " \"";
    refused.refusal += written;
    refused.refusal += '"';
    refused.refusal += after;
    refused.refusal += kAccepted;
    return refused;
}

} // namespace

ParsedCommandLine parseCommandLine(const char* commandLine, const char* programPath)
{
    ParsedCommandLine parsed;
    if (commandLine == nullptr)
        return parsed;
    bool given[3] = {false, false, false};
    std::string reportWritten;
    for (const Argument& argument : splitArguments(skipProgramName(commandLine, programPath))) {
        static const char* const kNames[3] = {"cycles", "seconds", "report"};
        static const char* const kTwice[3] = {" gives /cycles a second time.", " gives /seconds a second time.",
                                              " gives /report a second time."};
        std::string rest;
        bool colon = false;
        int option = 0;
        while (option < 3 && !isOption(argument.value, kNames[option], rest, colon))
            ++option;
        const std::string& written = argument.written;
        if (option == 3)
            return refuse("Unknown argument", written, ".");
        if (given[option])
            return refuse("Argument", written, kTwice[option]);
        given[option] = true;
        switch (option) {
        case 0:
            if (!parseCount(rest, MAX_RUN_CYCLES, parsed.options.bounds.cycles))
                return refuse("Bad argument", written,
                              ": the number of cycles must be a whole number from 1 to 4294967295.");
            break;
        case 1:
            if (!parseCount(rest, MAX_RUN_SECONDS, parsed.options.bounds.seconds))
                return refuse("Bad argument", written,
                              ": the number of seconds must be a whole number from 1 to 2678400.");
            break;
        default:
            if (rest.empty())
                return refuse("Bad argument", written, ": no file name after /report:.");
            parsed.options.reportFile = rest;
            reportWritten = written;
            break;
        }
    }
    if (given[2] && !parsed.options.bounds.any())
        return refuse("Argument", reportWritten,
                      " needs /cycles or /seconds beside it: only a bounded run writes its report by itself.");
    return parsed;
}

} // namespace zorik
