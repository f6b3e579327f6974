// The operator's steps the benchmark runs share: start and stop the
// loopback test, leave with or without the report. Each step is bounded
// and throws with the reason when the program does not follow; the
// session's destructor then kills Zorik.
#pragma once

#include <optional>
#include <string>

#include "zorik_session.h"

namespace zorik::bench {

// Presses Test and waits for the running caption.
void startLoopbackTest(e2e::ZorikSession& zorik);

// Station mode: types `serial` and Enter into the serial field and waits
// for the running caption.
void startStationUnit(e2e::ZorikSession& zorik, const char* serial);

// Presses Test again and waits for the idle caption, which the worker
// gives back once it has finished its cycle.
void stopLoopbackTest(e2e::ZorikSession& zorik);

// Presses the exit button, answers the save question and waits for the
// process to end; returns its exit code.
unsigned long leave(e2e::ZorikSession& zorik, bool save);

// The report file's cycle count, after leaving with `save`.
std::optional<unsigned long> reportedCount(const e2e::ZorikSession& zorik);

} // namespace zorik::bench
