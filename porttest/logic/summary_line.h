// The summary line under the log box: a verdict an operator can read from
// across the room, and the figures behind it. Code page 949 bytes
// (summary_line.cpp is compiled with -fexec-charset=CP949).
#pragma once

#include <cstdint>
#include <string>

namespace zorik {

enum class Verdict {
    Waiting, // no cycle has run yet
    Pass,    // cycles ran, no disagreement
    Fail,    // at least one disagreement
};

struct SummaryFigures {
    std::uint32_t cycles = 0;                   // g_nTestCount, as the report counts
    std::uint64_t disagreements[3] = {0, 0, 0}; // log lines per channel
    std::uint64_t testingSeconds = 0;           // sum of the running periods
};

Verdict verdictOf(const SummaryFigures& figures);

// "정상  사이클 12  불일치 0 ([0] 0, [1] 0, [2] 0)  시험 시간 0:00:04",
// beginning with 대기 (waiting), 정상 (pass) or 불량 (fail). Hours are not
// bounded: 31 days read 744:00:00.
std::string formatSummary(const SummaryFigures& figures);

// Appends `value` in decimal, zero-padded to `width` digits, without the
// runtime's formatter: msvcrt.dll before XP knows no 64-bit conversion
// that the host's printf also knows.
void appendDecimal(std::string& text, std::uint64_t value, int width = 1);

} // namespace zorik
