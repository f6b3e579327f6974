// One loopback run on a faulty unit, as the operator would make it: start
// the test, let it run, stop it, leave through the exit button with yes.
// What the log box showed and what the report holds are both kept, so the
// checks can compare them with each other and with the fault.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "expectations.h"
#include "log_text.h"
#include "wait_until.h"
#include "zorik_session.h"

namespace zorik::e2e {

struct FaultRun {
    std::string shownLog;        // the log box once the test had stopped
    Report report;               // ErrorInfo.txt
    std::vector<LogLine> lines;  // the report's disagreement lines
    long ranMs = 0;              // from the start of the test to its stop
};

// Runs the loopback test until the log shows a line of cycle `cycles` or
// later, or for as long as `cycles` cycles take at the least when no such
// line comes (a fault that logs nothing), then stops it and saves. Any
// step that goes wrong fails the result, and the session's process is
// killed with it.
::testing::AssertionResult runAndSave(ZorikSession& zorik, std::uint64_t cycles, FaultRun& run);

} // namespace zorik::e2e
