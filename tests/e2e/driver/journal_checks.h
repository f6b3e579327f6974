// The journal a running test keeps beside the report: what a killed
// program leaves in it, and its recovery by the next start.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "wait_until.h"
#include "work_dir.h"

namespace zorik::e2e {

// The name the next start gives the journal left in `dir`: its last write,
// local time, "ErrorInfo.recovered-YYYYMMDD-HHMMSS.txt".
std::string recoveredNameOf(const WorkDir& dir, const std::string& journal);

// Windows' reason for `error` as the program words it, UTF-8.
std::string windowsReason(unsigned long error);

// Zorik on unit `sim` is killed (TerminateProcess) `after` into a running
// test. The journal it leaves parses as a report, every line whole; its
// lines are the log box's up to some cycle, at most the cycle in progress
// missing; its count is not below its last line's. The next start renames
// it, says so, and then opens as usual.
::testing::AssertionResult journalSurvivesKill(Millis after, const std::string& sim);

} // namespace zorik::e2e
