// GoogleTest checks on the running program that wait for the observed state,
// within a bound, and say what was seen when it does not come.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "log_text.h"
#include "main_dialog.h"
#include "message_box.h"
#include "wait_until.h"
#include "zorik_session.h"

namespace zorik::e2e {

// Three channels, each 10 ms settling plus a 100 ms gap: no cycle is
// shorter.
inline constexpr long kShortestCycleMs = 330;

// No more than `counted` cycles fit in `ranMs` for one loop at a time, with
// `allowance` cycles more (the one under way, a handover between loops).
::testing::AssertionResult cycleCountFits(std::uint64_t counted, long ranMs,
                                          std::uint64_t allowance);

// The report file's header and log; the failure is recorded, saying why,
// when there is no file or it is malformed.
std::optional<Report> parsedReport(const std::optional<std::string>& file);

// The banner's first line becomes `utf8FirstLine` within `timeout`: the
// station's unit is done, "PASS  SN-1  (시험 1회째)".
::testing::AssertionResult unitDone(const MainDialog& dialog, const std::string& utf8FirstLine, Millis timeout);

// The control's text becomes `cp949Expected` within `timeout`.
::testing::AssertionResult showsText(const MainDialog& dialog, int id,
                                     const std::string& cp949Expected,
                                     Millis timeout = kReactionTimeout);

// The control's text becomes `cp949Expected` and then keeps it for
// `stableFor`, all within `timeout`: for states that may flicker on their
// way, as a caption handed from one loop to the next.
::testing::AssertionResult settlesOnText(const MainDialog& dialog, int id,
                                         const std::string& cp949Expected, Millis stableFor,
                                         Millis timeout);

// The button's check state becomes `state` within `timeout`.
::testing::AssertionResult showsCheck(const MainDialog& dialog, int id, int state,
                                      Millis timeout = kReactionTimeout);

// The process ends with exit code `exitCode` within `timeout`, and shows
// no message box on the way (a box would wait for an operator).
::testing::AssertionResult endsWithoutAsking(ZorikSession& session,
                                             Millis timeout = kExitTimeout, DWORD exitCode = 0);

// The process ends with exit code `exitCode` within `timeout`.
::testing::AssertionResult endsNormally(ZorikSession& session, Millis timeout = kExitTimeout,
                                        DWORD exitCode = 0);

// A message box with this caption and text (UTF-8, compared as code page
// 949 bytes) shows within `timeout`.
::testing::AssertionResult showsMessageBox(ZorikSession& session, const std::string& utf8Caption,
                                           const std::string& utf8Text,
                                           std::optional<MessageBoxWindow>& box,
                                           Millis timeout = kReactionTimeout);

// The log box holds a well-formed test log with at least `count`
// disagreement lines within `timeout`; `lines` receives them.
::testing::AssertionResult logShowsLines(const MainDialog& dialog, size_t count,
                                         std::vector<LogLine>& lines, Millis timeout);

} // namespace zorik::e2e

namespace zorik::e2e {

// The summary line settles on `utf8Verdict` and, per channel, as many
// disagreements as `lines` holds, within `timeout`; `cycles` receives the
// cycle count it shows (the time spent testing is not compared).
::testing::AssertionResult showsSummary(const MainDialog& dialog, const char* utf8Verdict,
                                        const std::vector<LogLine>& lines, std::uint64_t& cycles,
                                        Millis timeout = kReactionTimeout);

} // namespace zorik::e2e
