// A unit's write to the line's database, as the station's line thread does
// it: the row appended to the outbox file and flushed (on the UI thread),
// then one round (looked up by its key, inserted, committed, the outbox
// emptied, the line's rows of the day and the serial read back), against a
// PostgreSQL server on 127.0.0.1 through Wine's odbc32.dll and the 32-bit
// psqlODBC driver. Prints figures only.
//
//   line_database_bench.exe "CONNECTION STRING" [ROWS]
//
// scripts/bench.sh's line part starts the server (tests/e2e/line/).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "figures.h"
#include "line_outbox.h"
#include "line_sync.h"
#include "windows_history_files.h"
#include "windows_odbc.h"

namespace {

using Clock = std::chrono::steady_clock;
using zorik::bench::median;
using zorik::bench::percentile;
using zorik::bench::worst;

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

zorik::HistoryRow benchRow(int number) {
    zorik::HistoryRow row;
    char time[32];
    std::snprintf(time, sizeof time, "2026-12-09 %02d:%02d:%02d", 8 + number / 3600, number / 60 % 60, number % 60);
    row.time = time;
    row.station = "BENCH";
    row.serial = "SN-" + std::to_string(number % 50);
    row.attempt = 1 + number / 50;
    row.verdict = number % 7 == 0 ? "FAIL" : "PASS";
    row.ended = "proved";
    row.cycles = 59;
    row.seconds = 20;
    row.unit = "present";
    for (int i = 0; i < 3; ++i) {
        row.input[i] = "ok";
        row.rule[i] = "out" + std::to_string(i);
    }
    row.program = "1.0.0.1";
    return row;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) {
        std::printf("usage: line_database_bench.exe CONNECTION [ROWS]\n");
        return 2;
    }
    const int rows = argc > 2 ? std::atoi(argv[2]) : 300;
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    const std::string history = std::string(folder) + "line_bench_history.csv";
    WindowsHistoryFiles files;
    zorik::LineOutbox outbox(files, history, "BENCH-1");
    WindowsOdbc odbc;
    zorik::LineSync sync(odbc, outbox, argv[1]);

    const auto connectStart = Clock::now();
    sync.want("2026-12-09", "SN-0");
    if (!sync.round()) {
        std::printf("line bench: FAILED: %s\n", sync.state().trouble.c_str());
        return 2;
    }
    const double connect = millisSince(connectStart);
    std::vector<double> queued, sent, whole;
    for (int i = 0; i < rows; ++i) {
        const zorik::HistoryRow row = benchRow(i);
        const auto start = Clock::now();
        outbox.add(row);
        const double added = millisSince(start);
        sync.want("2026-12-09", row.serial);
        const auto roundStart = Clock::now();
        if (!sync.round()) {
            std::printf("line bench: FAILED at row %d: %s\n", i, sync.state().trouble.c_str());
            return 2;
        }
        queued.push_back(added);
        sent.push_back(millisSince(roundStart));
        whole.push_back(added + sent.back());
    }
    std::printf("ROW|line database: first round (connect, objects made, rows read)|%.1f ms|a fresh table\n", connect);
    std::printf("ROW|line database: a unit's row into the outbox file (UI thread)|median %.2f ms, p99 %.2f ms|"
                "appended and flushed, %d rows\n",
                median(queued), percentile(queued, 0.99), rows);
    std::printf("ROW|line database: a unit's round (line thread)|median %.2f ms, p99 %.2f ms, worst %.2f ms|looked up, "
                "inserted, committed, outbox emptied, the day's and the serial's rows read back (up to %d rows); "
                "localhost\n",
                median(sent), percentile(sent, 0.99), worst(sent), rows);
    std::printf("ROW|line database: a unit's write, both|median %.2f ms, p99 %.2f ms|%d units\n", median(whole),
                percentile(whole, 0.99), rows);
    return 0;
}
