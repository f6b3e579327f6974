// The result of a run for other programs to read: a Windows INI file
// (ANSI, CR LF) with the verdict, the report's figures and the diagnosis
// of each input. Only the bytes are made here.
#pragma once

#include "diagnosis.h"
#include "summary_line.h"

#include <string>

namespace zorik {

// How the run ended, as Ended= says it. Only the word table in
// result_file.cpp knows the words; a new way of ending is a value here and
// a word there.
enum class RunEnding {
    Bound,       // "bound": a bounded run reached its /cycles or /seconds
    Early,       // "early": a bounded run ended before its bound
    Operator,    // "operator": the operator ended the dialog's run
    OutOfMemory, // "out-of-memory": the test stopped for want of memory
    Proved,      // "proved": a /rate run proved its rate (proof_rate.h)
    Finding,     // "finding": a /rate run named every input's finding
};

// What the file says of the run beside the figures.
struct RunOutcome {
    RunEnding ended = RunEnding::Operator;
    int exitCode = 0;        // the code the program ends with
    std::string journalLeft; // the journal left in the folder; empty: none
    std::uint32_t provenBelow = 0; // Proved: /rate's P, hundredths of a percent
};

// A run that did not finish does not pass: FAIL on any disagreement, else
// INCOMPLETE when it ended early or for want of memory, else PASS.
const char* resultVerdictWord(const SummaryFigures& figures, RunEnding ended);

// [Result] Verdict, Cycles, Disagreements, Seconds, Unit, Ended, for a
// proved pass ProvenBelow (P in percent), ExitCode and, when a journal is
// left, JournalLeft; then [Input0] to [Input2], each as appendInputSection
// writes it. Cycles and disagreements are the report's.
std::string formatResultFile(const SummaryFigures& figures, const Diagnosis& diagnosis, const RunOutcome& outcome);

// The INI word for an ending: "bound", "early", "operator", "out-of-memory",
// "proved", "finding".
const char* runEndingWord(RunEnding ended);

// The keys of one input's section (after its [InputN] line): Finding,
// Output (crossed and crossed-inverted), Outputs=j,k (bridged), Rule (every
// finding but undetermined), Readings, Disagreements (the report's),
// Exceptions (with Rule) and, whenever Exceptions > 0, ErrorRate,
// ErrorRateLow, ErrorRateHigh in percent with two decimals (all of the
// present segment); then, once the input has a reading, Since (the present
// segment's first cycle), SinceTime (YYYY-MM-DD HH:MM:SS, when the program
// knows the time), Changes (told in this run), Before (the finding before
// the last change, when there was one) and, for a flapping input,
// Between=A/B (the two findings it flaps between).
void appendInputSection(std::string& text, const InputFinding& input, std::uint64_t disagreements);

// The INI word for a finding: "ok", "stuck-on", ..., "other", "undetermined".
const char* findingWord(Finding finding);

// A percentage in hundredths, rounded: "12.50". Integers only, so the
// runtime's formatter is not needed.
void appendPercent(std::string& text, double percent, int decimals = 2);

// `part` of `whole` in percent with one decimal and as the count:
// "87.5% (7/8)"; "-" when `whole` is 0.
void appendShare(std::string& text, std::uint32_t part, std::uint32_t whole);

} // namespace zorik
