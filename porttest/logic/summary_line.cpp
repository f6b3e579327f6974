// Compiled with -fexec-charset=CP949: the literals below are code page 949
// bytes although this file is UTF-8.
#include "summary_line.h"

namespace zorik {

namespace {

// Decimal digits without the runtime's formatter: msvcrt.dll before XP
// knows no 64-bit conversion that the host's printf also knows.
std::string decimal(std::uint64_t value)
{
    char digits[21];
    char* start = digits + sizeof digits;
    do {
        *--start = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::string(start, digits + sizeof digits);
}

std::string twoDigits(std::uint64_t value)
{
    return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

} // namespace

Verdict verdictOf(const SummaryFigures& figures)
{
    if (figures.disagreements[0] + figures.disagreements[1] + figures.disagreements[2] != 0)
        return Verdict::Fail;
    return figures.cycles == 0 && figures.testingSeconds == 0 ? Verdict::Waiting : Verdict::Pass;
}

std::string formatSummary(const SummaryFigures& figures)
{
    static const char* const kVerdicts[] = {"대기", "정상", "불량"};
    const std::uint64_t* const d = figures.disagreements;
    const std::uint64_t s = figures.testingSeconds;
    return std::string(kVerdicts[static_cast<int>(verdictOf(figures))])
        + "  사이클 " + decimal(figures.cycles)
        + "  불일치 " + decimal(d[0] + d[1] + d[2])
        + " ([0] " + decimal(d[0]) + ", [1] " + decimal(d[1]) + ", [2] " + decimal(d[2]) + ")"
        + "  시험 시간 " + decimal(s / 3600) + ":" + twoDigits(s / 60 % 60) + ":" + twoDigits(s % 60);
}

} // namespace zorik
