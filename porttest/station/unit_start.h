// A station's next unit starts from nothing: whatever the last unit left
// (its cycles, disagreements, findings, log, how its worker stopped, its
// journal) would otherwise be counted as this one's. Called on the UI
// thread while no worker runs.
#pragma once

#include "cycle_counter.h"
#include "diagnosis.h"
#include "loopback_log.h"
#include "run_control.h"
#include "test_journal.h"
#include "test_tally.h"

#include <string>

namespace zorik {

struct UnitState {
    CycleCounter& counter;
    TestTally& tally;
    Diagnosis& diagnosis;
    TestLog& log;
    RunFlag& run;
    TestJournal& journal;
};

// The last unit's journal is finished first (kept when `keepJournal`: it is
// then that unit's only report), and the next cycle makes a new one; the
// log starts again as `initial` followed by `header`.
void startNextUnit(const UnitState& unit, bool keepJournal, const std::string& initial, const std::string& header);

} // namespace zorik
