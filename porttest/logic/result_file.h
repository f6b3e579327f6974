// The result of a run for other programs to read: a Windows INI file
// (ANSI, CR LF) with the verdict, the report's figures and the diagnosis
// of each input. Only the bytes are made here.
#pragma once

#include "diagnosis.h"
#include "summary_line.h"

#include <string>

namespace zorik {

// [Result] Verdict, Cycles, Disagreements, Seconds, Unit; then [Input0] to
// [Input2], each as appendInputSection writes it. Cycles and disagreements
// are the report's.
std::string formatResultFile(const SummaryFigures& figures, const Diagnosis& diagnosis);

// The keys of one input's section (after its [InputN] line): Finding,
// Output (crossed and crossed-inverted), Outputs=j,k (bridged), Rule (every
// finding but undetermined), Readings, Disagreements (the report's),
// Exceptions (with Rule) and, whenever Exceptions > 0, ErrorRate,
// ErrorRateLow, ErrorRateHigh in percent with two decimals.
void appendInputSection(std::string& text, const InputFinding& input, std::uint64_t disagreements);

// The INI word for a finding: "ok", "stuck-on", ..., "other", "undetermined".
const char* findingWord(Finding finding);

// A percentage in hundredths, rounded: "12.50". Integers only, so the
// runtime's formatter is not needed.
void appendPercent(std::string& text, double percent, int decimals = 2);

} // namespace zorik
