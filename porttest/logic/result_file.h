// The result of a run for other programs to read: a Windows INI file
// (ANSI, CR LF) with the verdict, the report's figures and the diagnosis
// of each input. Only the bytes are made here.
#pragma once

#include "diagnosis.h"
#include "summary_line.h"

#include <string>

namespace zorik {

// [Result] Verdict, Cycles, Disagreements, Seconds, Unit; then [Input0] to
// [Input2] with Finding, Output (crossed only), Readings, Disagreements and,
// for an intermittent input only, ErrorRate, ErrorRateLow, ErrorRateHigh
// in percent with two decimals. Cycles and disagreements are the report's.
// How the run ended, where that says more than its figures (a station's
// unit, a /rate run): a Verdict in place of PASS (INCOMPLETE), `Ended=`
// after Unit, and `ProvenBelow=` (the rate, in percent) after it.
struct ResultEnd {
    const char* verdict = nullptr;
    const char* ended = nullptr;
    std::uint32_t provenBelow = 0; // hundredths of a percent; 0: none
};

std::string formatResultFile(const SummaryFigures& figures, const Diagnosis& diagnosis,
                             const ResultEnd& end = ResultEnd());

// The INI word for a finding: "ok", "stuck-on", ..., "undetermined".
const char* findingWord(Finding finding);

// A percentage in hundredths, rounded: "12.50". Integers only, so the
// runtime's formatter is not needed.
void appendPercent(std::string& text, double percent, int decimals = 2);

} // namespace zorik
