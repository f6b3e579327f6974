// The loopback test worker: while the run flag is set, drives a random
// 3-bit pattern onto the outputs, reads every input back after
// SETTLE_DELAY_MS and logs each channel whose input indicator disagrees
// with its output indicator, waiting CHANNEL_GAP_MS after every channel
// (loopback_waits.h: neither wait is ever cut short).
#pragma once

#include "cycle_counter.h"
#include "loopback_dialog.h"
#include "loopback_services.h"
#include "bounded_run.h"
#include "loopback_waits.h"
#include "run_control.h"
#include "test_tally.h"
#include "loopback_globals.h"

namespace zorik {

// The body of the worker thread; returns 0 when it ends. The program's
// thread entry calls it with the dialog and the Windows services, leaving
// `run` and `counter` to the process-wide g_bTestRunning and g_nTestCount.
// Captions: kTestCaptionRunning on entry, kTestCaptionIdle when the test has
// been stopped, after dialog.matchOutputsToSwitches. Log lines go through dialog.appendToLog, one call per line.
// Once it returns (and from the moment RunFlag::retireWorker let it go) it
// no longer touches `dialog`. Every line is counted in `tally` before it is
// logged, and every running period is timed there by the tick count.
// A run with `bounds` stops by itself (RunFlag::stopAtBound) before the
// first cycle that would pass them.
unsigned TestThreadProc(LoopbackDialog& dialog, LoopbackServices& services,
                        RunFlag& run = g_bTestRunning, CycleCounter& counter = g_nTestCount,
                        TestTally& tally = g_testTally, const RunBounds& bounds = RunBounds());

} // namespace zorik
