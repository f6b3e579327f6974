#include "station_yield.h"

#include <map>

namespace zorik {

namespace {

bool named(const std::string& word)
{
    return !word.empty() && word != "ok" && word != "undetermined";
}

// The same fault on some input of all three rows.
bool sameFault(const HistoryRow& a, const HistoryRow& b, const HistoryRow& c)
{
    for (int i = 0; i < 3; ++i)
        if (named(a.input[i]) && a.input[i] == b.input[i] && a.input[i] == c.input[i] && a.rule[i] == b.rule[i] &&
            a.rule[i] == c.rule[i])
            return true;
    return false;
}

} // namespace

std::uint32_t nextAttempt(const std::vector<HistoryRow>& rows, const std::string& serial)
{
    std::uint32_t attempt = 1;
    for (const HistoryRow& row : rows)
        if (row.serial == serial)
            ++attempt;
    return attempt;
}

std::uint32_t failCount(const std::vector<HistoryRow>& rows, const std::string& serial)
{
    std::uint32_t fails = 0;
    for (const HistoryRow& row : rows)
        if (row.serial == serial && row.verdict == "FAIL")
            ++fails;
    return fails;
}

bool fixtureSuspect(const std::vector<HistoryRow>& rows, const HistoryRow& next)
{
    if (next.verdict == "PASS")
        return false;
    const HistoryRow* before[2] = {nullptr, nullptr};
    int found = 0;
    for (auto it = rows.rbegin(); it != rows.rend() && found < 2; ++it) {
        if (it->station != next.station || it->verdict == "INCOMPLETE")
            continue;
        if (it->verdict != "FAIL")
            break; // a pass clears it
        before[found++] = &*it;
    }
    if (found == 0)
        return false;
    if (before[0]->fixtureSuspect)
        return true; // until a unit passes
    if (next.verdict != "FAIL" || found < 2)
        return false;
    const HistoryRow& a = next;
    const HistoryRow& b = *before[0];
    const HistoryRow& c = *before[1];
    return a.serial != b.serial && a.serial != c.serial && b.serial != c.serial && sameFault(a, b, c);
}

StationYield stationYield(const std::vector<HistoryRow>& rows, const std::string& day, const std::string& station)
{
    struct Serial {
        const HistoryRow* first = nullptr; // ever, anywhere
        const HistoryRow* latestHere = nullptr; // today, here
    };
    std::map<std::string, Serial> serials;
    std::map<std::pair<int, std::string>, std::uint32_t> faults;
    StationYield yield;
    for (const HistoryRow& row : rows) {
        Serial& serial = serials[row.serial];
        if (serial.first == nullptr)
            serial.first = &row;
        if (row.station != station || row.day() != day)
            continue;
        serial.latestHere = &row;
        if (row.verdict != "FAIL")
            continue;
        for (int i = 0; i < 3; ++i) {
            if (!named(row.input[i]))
                continue;
            std::uint32_t& count = faults[{i, row.input[i]}];
            // Ties go to the fault seen first.
            if (++count > yield.topCount) {
                yield.topCount = count;
                yield.topInput = i;
                yield.topFinding = row.input[i];
            }
        }
    }
    for (const auto& entry : serials) {
        const Serial& serial = entry.second;
        if (serial.latestHere == nullptr)
            continue;
        ++yield.units;
        if (serial.latestHere->verdict == "PASS")
            ++yield.finallyPassed;
        if (serial.first->day() == day) {
            ++yield.firstTimeUnits;
            if (serial.first->verdict == "PASS")
                ++yield.firstPassed;
        }
    }
    return yield;
}

} // namespace zorik
