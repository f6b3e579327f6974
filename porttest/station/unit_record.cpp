#include "unit_record.h"

#include "bounded_run.h"
#include "result_file.h"

namespace zorik {

namespace {

const char* unitPresence(UnitPresence unit)
{
    return unit == UnitPresence::Present ? "present" : unit == UnitPresence::Absent ? "absent" : "undetermined";
}

} // namespace

HistoryRow unitRow(const UnitIdentity& unit, const SummaryFigures& figures, const Diagnosis& diagnosis,
                   RunEnding ended)
{
    HistoryRow row;
    row.time = unit.time;
    row.station = unit.station;
    row.serial = unit.serial;
    row.attempt = unit.attempt;
    // FAIL on any disagreement, however the test ended; INCOMPLETE when
    // it ended early without one: a part of the test proves nothing.
    row.verdict = resultVerdictWord(figures, ended);
    row.ended = runEndingWord(ended);
    row.cycles = figures.cycles;
    row.seconds = figures.testingSeconds;
    row.disagreements = figures.disagreements[0] + figures.disagreements[1] + figures.disagreements[2];
    row.unit = unitPresence(diagnosis.unit());
    for (int c = 0; c < 3; ++c) {
        const InputFinding input = diagnosis.input(c);
        row.input[c] = findingWord(input.finding);
        row.rule[c] = input.finding == Finding::Undetermined ? std::string() : input.rule;
    }
    row.program = unit.program;
    return row;
}

RunOutcome unitOutcome(const SummaryFigures& figures, RunEnding ended, std::uint32_t rate, bool reportWritten)
{
    RunOutcome outcome;
    outcome.ended = ended;
    // As a bounded run of the unit alone orders its codes: an early end
    // outranks the verdict (a FAIL ended early is 4), memory everything.
    BoundedRunEnd end{};
    end.reportWritten = reportWritten;
    end.boundReached = ended == RunEnding::Bound || ended == RunEnding::Proved || ended == RunEnding::Finding;
    end.outOfMemory = ended == RunEnding::OutOfMemory;
    end.disagreements = figures.disagreements[0] + figures.disagreements[1] + figures.disagreements[2];
    outcome.exitCode = boundedRunExitCode(end);
    outcome.provenBelow = ended == RunEnding::Proved ? rate : 0;
    return outcome;
}

std::string unitFileStem(const std::string& folder, const std::string& serial, std::uint32_t attempt,
                         const std::function<bool(const std::string&)>& taken)
{
    std::string stem = folder;
    if (!stem.empty() && stem.back() != '\\' && stem.back() != '/' && stem.back() != ':')
        stem += '\\';
    // A serial may hold what a file name may not ("\\/:*?<>|"): each
    // such byte, and "%" itself, is written %XX, so that two serials never
    // share a file.
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : serial) {
        if (std::string("\\/:*?<>|\"%").find(c) != std::string::npos) {
            stem += '%';
            stem += kHex[static_cast<unsigned char>(c) >> 4];
            stem += kHex[c & 15];
        } else {
            stem += c;
        }
    }
    stem += '-';
    appendDecimal(stem, attempt);
    // Taken by a serial that differs only in case (ab-12 and AB-12 are one
    // name to Windows): a tag after it, ~2 up to ~99.
    if (!taken || !taken(stem))
        return stem;
    for (std::uint32_t tag = 2; tag < 100; ++tag) {
        std::string tagged = stem + '~';
        appendDecimal(tagged, tag);
        if (!taken(tagged))
            return tagged;
    }
    return stem + "~100";
}

} // namespace zorik
