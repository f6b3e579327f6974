// Figures of the running Zorik.exe, watched from outside under Wine: the
// idle dialog's CPU use, then the loopback test's cycle period against the
// ideal 3 x (10 + 100) ms; last, the wall time of a bounded run,
// "Zorik.exe /cycles:100", against 100 times that period. Prints figures;
// judges nothing.
//
//   zorik_dialog_bench [IDLE_SECONDS [TEST_SECONDS]]
//   zorik_dialog_bench alternate [ROUNDS [ROUND_SECONDS]]
//   zorik_dialog_bench station [ROUNDS [ROUND_SECONDS]]
//
// The second form compares a failing unit's cycle with a healthy one's:
// ROUNDS (3) x (healthy, every input failing), each round a fresh Zorik
// watched for ROUND_SECONDS (10). The third compares station mode's cycle
// (/station with /rate:0.1, whose rule is asked before every cycle and
// which no round lasts long enough to reach) with the operator's dialog's,
// the same way, on a healthy unit.
//
// Exit code 2 when Zorik did not follow a step (the reason is printed).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>
#include <thread>

#include "cycle_watch.h"
#include "figures.h"
#include "operator_session.h"
#include "wine_host_process.h"
#include "zorik_session.h"

using namespace zorik;
using namespace zorik::bench;

namespace {

constexpr double kIdealPeriodMillis = 3 * (10 + 100);

WineHostProcess findHost(const char* program) {
    std::optional<WineHostProcess> host;
    e2e::waitUntil([&] { return (host = WineHostProcess::find(program)).has_value(); },
                   e2e::Millis(5000), e2e::Millis(100));
    if (!host)
        throw std::runtime_error(std::string(program) + "'s host process was not found under /proc");
    return *host;
}

// CPU use of Zorik.exe (and of the prefix's wineserver, which does part of
// the work of its windows and timers) while `during` runs.
struct CpuShare {
    double zorik = 0;
    double wineserver = -1; // negative: not found
};

template <class During>
CpuShare measureCpu(const WineHostProcess& zorik, const std::optional<WineHostProcess>& server,
                    During during) {
    const auto start = Clock::now();
    const auto zorikBefore = zorik.usage();
    const auto serverBefore = server ? server->usage() : std::nullopt;
    during();
    const auto zorikAfter = zorik.usage();
    const auto serverAfter = server ? server->usage() : std::nullopt;
    const double seconds = millisBetween(start, Clock::now()) / 1000.0;
    if (!zorikBefore || !zorikAfter)
        throw std::runtime_error("Zorik's host process went away while measured");
    // The threads' own clocks are finer than the 10 ms ticks; Zorik's
    // threads live through the whole window, the worker's excepted (started
    // inside it), whose time the ticks then still count.
    const auto used = [](const HostProcessUsage& before, const HostProcessUsage& after) {
        const double precise = after.liveThreadCpuSeconds - before.liveThreadCpuSeconds;
        const double ticks = after.cpuSeconds - before.cpuSeconds;
        return precise > 0 && precise >= ticks - 0.02 ? precise : ticks;
    };
    CpuShare share;
    share.zorik = 100.0 * used(*zorikBefore, *zorikAfter) / seconds;
    if (serverBefore && serverAfter)
        share.wineserver = 100.0 * used(*serverBefore, *serverAfter) / seconds;
    return share;
}

void printCpuRow(const char* what, const CpuShare& share, const char* how) {
    if (share.wineserver >= 0)
        std::printf("ROW|%s|%.2f %% of one core (wineserver %.2f %%)|%s\n", what, share.zorik,
                    share.wineserver, how);
    else
        std::printf("ROW|%s|%.2f %% of one core|%s\n", what, share.zorik, how);
}

// Zorik.exe /cycles:100 from its start to its end, healthy unit: the run
// itself, start-up (to the dialog shown, when the test has begun) and the
// end (report written, process gone).
void benchBoundedRun(double periodMillis) {
    constexpr int kCycles = 100;
    e2e::WorkDir dir;
    const auto launched = Clock::now();
    e2e::ZorikSession zorik(dir, "", "/cycles:" + std::to_string(kCycles));
    zorik.dialog();
    const auto shown = Clock::now();
    const auto code = zorik.process().waitForExit(e2e::Millis(kCycles * 2000));
    const auto ended = Clock::now();
    if (!code)
        throw std::runtime_error("Zorik /cycles:100 did not end within " + std::to_string(kCycles * 2) + " s");
    const auto count = reportedCount(zorik);
    const double wall = millisBetween(launched, ended);
    std::printf("ROW|Zorik.exe /cycles:%d, start to end|%.2f s = %d x %.1f ms (%.2f s) + %.2f s; "
                "dialog shown after %.2f s|exit code %lu, report count %lu; the period is the mean above\n",
                kCycles, wall / 1000.0, kCycles, periodMillis, kCycles * periodMillis / 1000.0,
                (wall - kCycles * periodMillis) / 1000.0, millisBetween(launched, shown) / 1000.0,
                static_cast<unsigned long>(*code), count ? *count : 0UL);
}

// Every input disagrees on every reading: three log lines a cycle.
constexpr const char* kFailingUnit = "flaky=0:100%,flaky=1:100%,flaky=2:100%";

// One round: Zorik started on a unit of `simSettings`, its test watched
// for `seconds`, then left without a report. Adds the round's single cycle
// periods to `periods` and its mean period to `means`; returns the lines
// its log box held at the end (head included), to show that the unit
// failed as it was meant to.
long watchRound(const std::string& simSettings, int seconds, std::vector<double>& periods,
                std::vector<double>& means, bool station = false, const std::string& line = "") {
    e2e::WorkDir dir;
    e2e::ZorikSession zorik(dir, simSettings,
                            station ? "/station:history.csv /rate:0.1" + (line.empty() ? "" : " " + line) : "");
    CycleWatch watch(zorik.dialog());
    // Start-up work (fonts, first paint) settles first.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto testStart = Clock::now();
    if (station)
        startStationUnit(zorik, "BENCH-1");
    else
        startLoopbackTest(zorik);
    watch.watch(std::chrono::seconds(seconds), testStart);
    stopLoopbackTest(zorik);
    const std::string box = zorik.dialog().text(e2e::kLogBox);
    leave(zorik, false);
    const double mean = meanCyclePeriod(watch.changes(), kIdealPeriodMillis);
    const auto single = singleCyclePeriods(watch.changes(), mean > 0 ? mean : kIdealPeriodMillis);
    periods.insert(periods.end(), single.begin(), single.end());
    if (mean > 0)
        means.push_back(mean);
    return static_cast<long>(std::count(box.begin(), box.end(), '\n'));
}

// A failing unit's cycle against a healthy one's on the real program:
// `rounds` x (healthy, failing), each a fresh Zorik watched from outside
// for `seconds`, so that both see the same machine load.
void benchFailingAgainstHealthy(int rounds, int seconds) {
    std::vector<double> periods[2], means[2];
    long boxLines[2] = {};
    for (int round = 0; round < rounds; ++round) {
        boxLines[0] += watchRound("", seconds, periods[0], means[0]);
        boxLines[1] += watchRound(kFailingUnit, seconds, periods[1], means[1]);
    }
    const char* const names[2] = {"healthy unit", "every input failing (3 lines a cycle)"};
    for (int side = 0; side < 2; ++side)
        std::printf("ROW|cycle period, %s, alternating|median %.1f ms, p90 %.1f ms, worst %.1f ms; mean "
                    "%.1f ms|%zu single cycles by output indicator changes, %d rounds of %d s in turn with "
                    "the other, a fresh Zorik.exe each; %ld log box lines at the rounds' ends\n",
                    names[side], median(periods[side]), percentile(periods[side], 0.9), worst(periods[side]),
                    mean(means[side]), periods[side].size(), rounds, seconds, boxLines[side]);
    std::printf("ROW|cycle period failing / healthy|%.4f (medians), %.4f (means), %.4f (p90) (goal <= 1.02)|"
                "ZORIK_SIM=%s against no setting\n",
                median(periods[1]) / median(periods[0]), mean(means[1]) / mean(means[0]),
                percentile(periods[1], 0.9) / percentile(periods[0], 0.9), kFailingUnit);
}

// Station mode against the operator's dialog, healthy unit, in turn.
void benchStationAgainstDialog(int rounds, int seconds) {
    std::vector<double> periods[2], means[2];
    for (int round = 0; round < rounds; ++round) {
        watchRound("", seconds, periods[0], means[0]);
        watchRound("", seconds, periods[1], means[1], true);
    }
    const char* const names[2] = {"operator's dialog", "station mode, /rate:0.1"};
    for (int side = 0; side < 2; ++side)
        std::printf("ROW|cycle period, %s, alternating|median %.1f ms, p90 %.1f ms; mean %.1f ms|%zu single "
                    "cycles, %d rounds of %d s in turn with the other, healthy unit\n",
                    names[side], median(periods[side]), percentile(periods[side], 0.9), mean(means[side]),
                    periods[side].size(), rounds, seconds);
    std::printf("ROW|cycle period station / dialog|%.4f (medians), %.4f (means) (goal <= 1.01)|the /rate rule "
                "asked before every cycle\n",
                median(periods[1]) / median(periods[0]), mean(means[1]) / mean(means[0]));
}

// Station mode with /line against without, healthy unit, in turn: the
// line's thread works at a unit's start and end only.
void benchLineAgainstStation(const std::string& line, int rounds, int seconds) {
    std::vector<double> periods[2], means[2];
    for (int round = 0; round < rounds; ++round) {
        watchRound("", seconds, periods[0], means[0], true);
        watchRound("", seconds, periods[1], means[1], true, line);
    }
    const char* const names[2] = {"station mode", "station mode with /line"};
    for (int side = 0; side < 2; ++side)
        std::printf("ROW|cycle period, %s, alternating|median %.1f ms, p90 %.1f ms; mean %.1f ms|%zu single "
                    "cycles, %d rounds of %d s in turn with the other, healthy unit, /rate:0.1\n",
                    names[side], median(periods[side]), percentile(periods[side], 0.9), mean(means[side]),
                    periods[side].size(), rounds, seconds);
    std::printf("ROW|cycle period /line / without|%.4f (medians), %.4f (means) (goal <= 1.01)|PostgreSQL on "
                "127.0.0.1\n",
                median(periods[1]) / median(periods[0]), mean(means[1]) / mean(means[0]));
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    try {
        if (argc > 1 && std::string(argv[1]) == "alternate") {
            benchFailingAgainstHealthy(argc > 2 ? std::atoi(argv[2]) : 3, argc > 3 ? std::atoi(argv[3]) : 10);
            return 0;
        }
        if (argc > 2 && std::string(argv[1]) == "line") {
            benchLineAgainstStation(argv[2], argc > 3 ? std::atoi(argv[3]) : 3, argc > 4 ? std::atoi(argv[4]) : 10);
            return 0;
        }
        if (argc > 1 && std::string(argv[1]) == "station") {
            benchStationAgainstDialog(argc > 2 ? std::atoi(argv[2]) : 3, argc > 3 ? std::atoi(argv[3]) : 10);
            return 0;
        }
    } catch (const std::exception& error) {
        std::printf("dialog bench: FAILED: %s\n", error.what());
        return 2;
    }
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const int testSeconds = argc > 2 ? std::atoi(argv[2]) : 40;
    try {
        e2e::ZorikSession zorik; // healthy unit
        const e2e::MainDialog& dialog = zorik.dialog();
        const WineHostProcess host = findHost("Zorik.exe");
        const auto server = WineHostProcess::findWineserver();

        // Let start-up work (fonts, first paint) settle before measuring.
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const CpuShare idle = measureCpu(host, server, [&] {
            std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
        });
        char how[128];
        std::snprintf(how, sizeof how, "%d s, only the 100 ms poll timer; CPU time from /proc",
                      idleSeconds);
        printCpuRow("idle dialog CPU", idle, how);

        CycleWatch watch(dialog);
        const auto testStart = Clock::now();
        startLoopbackTest(zorik);
        const CpuShare running = measureCpu(host, server, [&] {
            watch.watch(std::chrono::seconds(testSeconds), testStart);
        });
        const auto testStop = Clock::now();
        stopLoopbackTest(zorik);
        std::snprintf(how, sizeof how, "%d s, healthy unit, while the bench samples the indicators",
                      testSeconds);
        printCpuRow("running test CPU", running, how);

        leave(zorik, true);
        const auto count = reportedCount(zorik);
        const double elapsed = millisBetween(testStart, testStop);
        // Cycles begun between the start and the stop click: the first
        // begins at once, so on average half a period is left over.
        const double countMean = count && *count > 0 ? elapsed / (static_cast<double>(*count) - 0.5) : 0;
        const double watchMean =
            meanCyclePeriod(watch.changes(), countMean > 0 ? countMean : kIdealPeriodMillis);
        const auto periods = singleCyclePeriods(watch.changes(), watchMean);

        std::printf("ROW|loopback cycle period (ideal %.0f ms)|median %.1f ms, worst %.1f ms, "
                    "p90 %.1f ms|%zu single cycles timed by output indicator changes, sampled every %.2f ms\n",
                    kIdealPeriodMillis, median(periods), worst(periods), percentile(periods, 0.9),
                    periods.size(), watch.sampleIntervalMillis());
        std::printf("ROW|loopback cycle period, mean|%.1f ms (indicators), %.1f ms (count %lu / %.1f s)|"
                    "report file's count header over the run's elapsed time\n",
                    watchMean, countMean, count ? *count : 0UL, elapsed / 1000.0);
        if (periods.size() < 30)
            std::printf("note: only %zu single cycles were timed (fewer than 30)\n", periods.size());
        benchBoundedRun(watchMean);
        return 0;
    } catch (const std::exception& error) {
        std::printf("dialog bench: FAILED: %s\n", error.what());
        return 2;
    }
}
