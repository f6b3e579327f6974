// What the station shows: the banner over the last unit and the day's
// yield line. Code page 949 bytes (station_texts.cpp is compiled with
// -fexec-charset=CP949).
#pragma once

#include "history_csv.h"
#include "station_history.h"
#include "station_yield.h"

#include <string>

namespace zorik {

// Before the first unit, and after each: where the serial goes.
extern const char kBannerWaiting[];
// The serial field's label.
extern const char kSerialLabel[];

// While a unit is tested.
std::string formatTestingBanner(const std::string& serial, std::uint32_t attempt);

// After a unit: "PASS  SN-1  (시험 1회째)", then its findings in words
// (`findingWords`, the finding line's; without them 정상 for a pass, the
// disagreements for a fail, 시험을 끝까지 하지 않음 for an incomplete unit),
// then, each on its own line, the repair notice when the serial has
// `fails` FAIL rows, kFailsBeforeRepair or more, the fixture warning, and
// `fileTrouble` (the history's, when not empty).
std::string formatUnitBanner(const HistoryRow& row, const std::string& findingWords, std::uint32_t fails,
                             const std::string& fileTrouble);

// "<heading>12대, 첫 통과율 83.3% (10/11), 최종 수율 91.7% (11/12)": the
// figures the station's and the line's yield lines share.
std::string formatYieldFigures(const char* heading, const StationYield& yield);

// "오늘 이 스테이션: 12대, 첫 통과율 83.3% (10/11), 최종 수율 91.7% (11/12),
// 최다 불량: 입력 1 stuck-off 2건".
std::string formatYieldLine(const StationYield& yield);

// The history could not take the row: where it went, naming the files and
// Windows' reasons.
std::string formatHistoryTrouble(const std::string& history, const std::string& historyReason,
                                 const std::string& pending, const std::string& pendingReason, bool inPending);
// /units: the unit's file `name` could not be written.
std::string formatUnitFilesNotWritten(const std::string& name);
// The history could not be read at start (a message box; the station
// does not open).
std::string formatHistoryUnreadable(const std::string& history, const std::string& reason);

// While another station holds the history: the banner says it waits.
std::string formatHistoryWait(const std::string& history, unsigned waitedMs);
// "1 damaged line in HISTORY.csv, line 214": lines that are no row.
std::string formatDamagedLines(const DamagedLines& damage);
// Leaving with rows not in the history: the box names them (serial,
// attempt, time) and `file`, where they wait; `text`, the rows' bytes,
// when no file took them.
std::string formatRowsLeft(const std::string& history, const std::vector<HistoryRow>& rows, const std::string& file,
                           const std::string& text);

} // namespace zorik
