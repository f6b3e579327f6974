// What the history tells the station: a serial's attempt number, when to
// send a unit to repair, when the fixture rather than the units is at
// fault, and the day's yield. Plain functions over the rows, oldest first.
#pragma once

#include "history_csv.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorik {

// 1 + the rows of `serial` already in the history, at any station.
std::uint32_t nextAttempt(const std::vector<HistoryRow>& rows, const std::string& serial);

// The serial's FAIL rows, at any station.
std::uint32_t failCount(const std::vector<HistoryRow>& rows, const std::string& serial);
// From the third FAIL on, the unit goes to repair.
constexpr std::uint32_t kFailsBeforeRepair = 3;

// FixtureSuspect for `next`, about to be added at `next.station`. Rows of
// other stations and INCOMPLETE rows say nothing about this fixture and
// are passed over. A FAIL is suspect when the two FAIL rows before it (with
// no PASS between) are of three different serials that share a non-ok
// Finding and its Rule on one input; it stays suspect, FAIL after FAIL,
// until a unit passes. An INCOMPLETE row carries the flag it finds.
bool fixtureSuspect(const std::vector<HistoryRow>& rows, const HistoryRow& next);

struct StationYield {
    std::uint32_t units = 0;          // distinct serials of today's rows here
    std::uint32_t firstTimeUnits = 0; // of those, first tested ever today
    std::uint32_t firstPassed = 0;    // of those, PASS on that first row
    std::uint32_t finallyPassed = 0;  // units whose latest row here today is PASS
    // The most frequent non-ok finding among today's FAIL rows here: input
    // (-1: none) and word, and how many rows had it.
    int topInput = -1;
    std::string topFinding;
    std::uint32_t topCount = 0;
};

// `day`: "YYYY-MM-DD", today in local time.
StationYield stationYield(const std::vector<HistoryRow>& rows, const std::string& day, const std::string& station);

} // namespace zorik
