// A unit's end, as the station records it: its verdict and how it ended,
// and its row of the history, from the run's figures and diagnosis.
#pragma once

#include "diagnosis.h"
#include "history_csv.h"
#include "proof_rate.h"
#include "result_file.h"
#include "summary_line.h"

#include <functional>
#include <string>

namespace zorik {

struct UnitIdentity {
    std::string time; // local "YYYY-MM-DD HH:MM:SS" at the unit's end
    std::string station;
    std::string serial;
    std::uint32_t attempt = 1;
    std::string program;
};

// The history's row for the unit (FixtureSuspect is the history's to say).
HistoryRow unitRow(const UnitIdentity& unit, const SummaryFigures& figures, const Diagnosis& diagnosis,
                   RunEnding ended);

// The unit's [Result] beside its figures: how it ended, the rate it proved
// (`rate`, hundredths, for /rate; only when Ended=proved), and for ExitCode
// the code a bounded run of this unit alone would have ended with
// (bounded_run.h: 0 PASS, 1 FAIL, 4 ended early, 7 out of memory, 3 when
// its report could not be written).
RunOutcome unitOutcome(const SummaryFigures& figures, RunEnding ended, std::uint32_t rate, bool reportWritten = true);

// "FOLDER\\SN-1-2": the name of the unit's files in /units:FOLDER, before
// ".txt" or ".ini"; what a file name cannot hold is written %XX. When
// `taken` says the name is taken (a serial differing only in case has
// it), "~2", "~3" ... is added until one is free.
std::string unitFileStem(const std::string& folder, const std::string& serial, std::uint32_t attempt,
                         const std::function<bool(const std::string&)>& taken = {});

} // namespace zorik
