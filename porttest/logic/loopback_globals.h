// The test program's process-wide loopback state: the run flag, the cycle
// counter and the summary line's tally. The counter and the tally are never
// reset; all three live for the whole run.
#pragma once

#include "cycle_counter.h"
#include "run_control.h"
#include "test_tally.h"

extern zorik::RunFlag g_bTestRunning;
extern zorik::CycleCounter g_nTestCount;
extern zorik::TestTally g_testTally;
