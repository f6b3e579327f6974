// Figures of the station, not a test: run it by hand (scripts/bench.sh
// does). Prints "ROW|what|figure|how" lines:
//  - /rate:5 on the simulated unit's model over 1,000 seeds: the cycles a
//    healthy and a stuck-off unit take, and the units an hour that makes
//    at 330 ms a cycle (the test's time only; a scan and a swap add to it);
//  - reading a history of 10,000 rows at start (parsed from memory: the
//    disk's share is left out);
//  - what the station adds to a cycle: the /rate rule asked once per cycle.
#include "diagnosis_oracle.h"

#include "diagnosis.h"
#include "memory_history_files.h"
#include "proof_rate.h"
#include "station_history.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#ifdef _WIN32
#include "windows_history_files.h"

#include <cstdio>
#endif

using namespace zorik;
using Clock = std::chrono::steady_clock;

namespace {


void rateFigures(const char* name, const char* settings)
{
    std::vector<std::uint32_t> cycles;
    for (std::uint64_t seed = 1; seed <= 1000; ++seed) {
        oracle::Bench unit(settings, seed);
        const ProofRule rule(500, unit.diagnosis);
        std::uint32_t count = 0;
        while (rule.ended(count) == RunEnded::None) {
            unit.runCycle();
            ++count;
        }
        cycles.push_back(count);
    }
    std::sort(cycles.begin(), cycles.end());
    const double median = cycles[cycles.size() / 2];
    std::printf("ROW|/rate:5, %s unit: cycles median / p99 / max|%.0f / %u / %u|1,000 seeds of the simulated unit's model\n",
                name, median, cycles[cycles.size() * 99 / 100], cycles.back());
    std::printf("ROW|/rate:5, %s unit: units an hour|%.0f|3600 s / (median cycles x 0.33 s), the test's time only\n",
                name, 3600.0 / (median * 0.33));
}

void historyFigures()
{
    MemoryHistoryFiles files;
    std::string& bytes = files.files["H.csv"];
    bytes = std::string(kHistoryHeader) + "\r\n";
    for (int i = 0; i < 10000; ++i) {
        HistoryRow row;
        row.time = "2026-12-09 08:00:00";
        row.station = "LINE-1";
        row.serial = "SN-" + std::to_string(100000 + i / 2);
        row.attempt = 1 + i % 2;
        row.verdict = i % 7 == 0 ? "FAIL" : "PASS";
        row.ended = i % 7 == 0 ? "finding" : "proved";
        row.cycles = 59;
        row.seconds = 20;
        row.unit = "present";
        for (int c = 0; c < 3; ++c) {
            row.input[c] = i % 7 == 0 && c == 1 ? "stuck-off" : "ok";
            row.rule[c] = i % 7 == 0 && c == 1 ? "0" : "out" + std::to_string(c);
        }
        row.program = "1.0.0.1";
        bytes += formatHistoryRow(row);
    }
    StationHistory history(files, "H.csv", "BENCH-1");
    const auto start = Clock::now();
    history.load();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("ROW|history of 10,000 rows (%zu KB) read at start, from memory|%.1f ms|parsing only; %zu rows\n",
                bytes.size() / 1024, ms, history.rows().size());
#ifdef _WIN32
    // The same from a file, through the program's own Windows file seam.
    const std::string name = "station_bench_history.csv";
    if (std::FILE* file = std::fopen(name.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        WindowsHistoryFiles disk;
        StationHistory onDisk(disk, name, "BENCH-1");
        const auto diskStart = Clock::now();
        const bool read = onDisk.load().done();
        const double diskMs = std::chrono::duration<double, std::milli>(Clock::now() - diskStart).count();
        std::printf("ROW|the same history read at start from its file|%.1f ms|%s, %zu rows (file cache warm)\n",
                    diskMs, read ? "WindowsHistoryFiles" : "NOT READ", onDisk.rows().size());
        HistoryRow next = onDisk.rows().back();
        next.attempt = 3;
        const auto appendStart = Clock::now();
        const StationHistory::Written written = onDisk.append(next);
        const double appendMs = std::chrono::duration<double, std::milli>(Clock::now() - appendStart).count();
        std::printf("ROW|one unit's row appended to that file|%.1f ms|%s: history held and read, row in the own "
                    "pending file and flushed, appended to the history and flushed, pending file emptied\n",
                    appendMs, written.place == StationHistory::Place::History ? "in the history" : "NOT in the history");
        std::remove(name.c_str());
    }
#endif
    const auto appendStart = Clock::now();
    HistoryRow row = history.rows().back();
    row.attempt = 3;
    history.append(row);
    const double appendMs = std::chrono::duration<double, std::milli>(Clock::now() - appendStart).count();
    std::printf("ROW|one unit's row appended to that history, in memory|%.2f ms|the history held, read and parsed, "
                "the pending file, the merge\n",
                appendMs);
}

void cycleFigures()
{
    oracle::Bench unit("", 3);
    for (int i = 0; i < 300; ++i)
        unit.runCycle();
    // /rate:0.1 needs 2,995 clean cycles: not reached after 300.
    const ProofRule rule(10, unit.diagnosis);
    constexpr int kCalls = 100000;
    int reached = 0;
    const auto start = Clock::now();
    for (int i = 0; i < kCalls; ++i)
        reached += rule.reached(300) ? 1 : 0;
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kCalls;
    std::printf("ROW|station on: the /rate rule asked before a cycle|%.2f us (%.5f %% of a 330 ms cycle)|"
                "%d of %d calls reached; without /rate a station adds nothing to a cycle\n",
                us, us / 3300.0, reached, kCalls);
}

} // namespace

int main()
{
    rateFigures("healthy", "");
    rateFigures("stuck-off=1", "stuck-off=1");
    historyFigures();
    cycleFigures();
    return 0;
}
