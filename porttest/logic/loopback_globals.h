// The test program's process-wide loopback state: the run flag and the
// cycle counter. The counter is never reset; both live for the whole run.
#pragma once

#include "cycle_counter.h"
#include "run_control.h"

extern zorik::RunFlag g_bTestRunning;
extern zorik::CycleCounter g_nTestCount;
