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
#include "proof_rate.h"
#include "reading.h"

namespace zorik {

// The body of the worker thread; returns 0 when it ends. The program's
// thread entry calls it with the dialog and the Windows services, leaving
// `run` and `counter` to the process-wide g_bTestRunning and g_nTestCount.
// Captions: kTestCaptionRunning on entry, kTestCaptionIdle when the test has
// been stopped, after dialog.matchOutputsToSwitches. Every reading goes to
// `tally` and then to `listener` (reading.h), which hears each cycle's
// beginning and end too. Once it returns (and from the moment
// RunFlag::retireWorker let it go) it no longer touches `dialog`; every
// running period is timed in `tally` by the tick count. A run with
// `bounds` stops by itself (RunFlag::stopAtBound) before the first cycle
// that would pass them; memory that runs out stops it too
// (RunFlag::stopOutOfMemory). So does `endRule`, when given, once it is
// reached (a /rate run proved or named).
unsigned TestThreadProc(LoopbackDialog& dialog, LoopbackServices& services, ReadingListener& listener,
                        RunFlag& run = g_bTestRunning, CycleCounter& counter = g_nTestCount,
                        TestTally& tally = g_testTally, const RunBounds& bounds = RunBounds(),
                        const EndRule* endRule = nullptr);

} // namespace zorik
