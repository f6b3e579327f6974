// Soak run: Zorik with an intermittent input runs its loopback test for a
// long time while this program watches it from outside and prints, every
// sample period, its memory, the log box's length, the cycle rate and how
// quickly its window answers; a summary at the end. Prints figures; judges
// nothing.
//
//   zorik_soak [MINUTES [SAMPLE_SECONDS [ZORIK_SIM]]]
//
// Exit code 0 when the run went through and Zorik left cleanly, 2 when
// Zorik did not follow a step (the reason is printed).
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

#include "figures.h"
#include "log_watch.h"
#include "operator_session.h"
#include "ui_probe.h"
#include "wine_host_process.h"
#include "zorik_session.h"

using namespace zorik;
using namespace zorik::bench;

namespace {

struct Sample {
    double minutes;
    HostProcessUsage usage;
    std::size_t logLength;
    std::size_t logLines;
};

double mib(std::uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

WineHostProcess findZorik() {
    std::optional<WineHostProcess> host;
    e2e::waitUntil([&] { return (host = WineHostProcess::find("Zorik.exe")).has_value(); },
                   e2e::Millis(5000), e2e::Millis(100));
    if (!host)
        throw std::runtime_error("Zorik.exe's host process was not found under /proc");
    return *host;
}

void printSummary(const std::vector<Sample>& samples, const LogWatch& log,
                  const std::vector<double>& pings, const std::vector<double>& clicks,
                  int unanswered, Clock::time_point start, Clock::time_point end) {
    const Sample& first = samples.front();
    const Sample& last = samples.back();
    std::uint64_t peak = 0;
    for (const Sample& s : samples)
        peak = std::max(peak, s.usage.privateBytes);
    // Start-up fills caches for a minute or two; growth after that is what
    // the log costs. The first sample from minute 2 on (or the middle one
    // of a shorter run) is the base.
    const Sample* base = &samples[samples.size() / 2];
    for (const Sample& s : samples)
        if (s.minutes >= 2.0) {
            base = &s;
            break;
        }
    std::printf("\n== soak summary ==\n");
    std::printf("duration                 %.1f min, %zu samples\n", millisBetween(start, end) / 60000.0,
                samples.size());
    const auto& sightings = log.sightings();
    std::printf("cycles                   %llu (last logged cycle number)\n",
                sightings.empty() ? 0ULL : static_cast<unsigned long long>(sightings.back().count));
    std::printf("log                      %zu lines, %zu bytes, %zu malformed lines\n", log.lines(),
                log.length(), log.malformed());
    std::printf("private memory           first %.2f MiB, last %.2f MiB, peak %.2f MiB\n",
                mib(first.usage.privateBytes), mib(last.usage.privateBytes), mib(peak));
    std::printf("resident memory          first %.2f MiB, last %.2f MiB\n", mib(first.usage.residentBytes),
                mib(last.usage.residentBytes));
    const auto printGrowth = [&](const char* label, const Sample& from) {
        const std::size_t linesFrom = from.logLines;
        const double logKiB = static_cast<double>(last.logLength - from.logLength) / 1024.0;
        const double growthKiB = (static_cast<double>(last.usage.privateBytes) -
                                  static_cast<double>(from.usage.privateBytes)) / 1024.0;
        const std::size_t lines = last.logLines - linesFrom;
        std::printf("%-25s%+.0f KiB private over %.1f KiB (%zu lines) of log", label, growthKiB, logKiB,
                    lines);
        if (logKiB > 0.5 && lines > 0)
            std::printf(" = %+.2f KiB per KiB of log, %+.2f KiB per line", growthKiB / logKiB,
                        growthKiB / static_cast<double>(lines));
        std::printf("\n");
    };
    printGrowth("memory growth", first);
    char label[64];
    std::snprintf(label, sizeof label, "  from minute %.1f", base->minutes);
    printGrowth(label, *base);
    std::printf("CPU                      %.1f %% of one core on average\n",
                100.0 * (last.usage.cpuSeconds - first.usage.cpuSeconds) /
                    ((last.minutes - first.minutes) * 60.0 + 1e-9));
    std::printf("WM_NULL round trip       median %.2f ms, worst %.2f ms (poll period 100 ms)\n",
                median(pings), worst(pings));
    std::printf("click to show            median %.2f ms, worst %.2f ms (poll period 100 ms), %d unanswered\n",
                median(clicks), worst(clicks), unanswered);

    // Sightings are timed from `start`.
    const double total = millisBetween(start, end);
    const double window = std::min(5 * 60000.0, total / 2);
    const auto early = meanPeriodBetween(sightings, 0, window);
    const auto late = meanPeriodBetween(sightings, total - window, total + 1);
    const double windowMinutes = window / 60000.0;
    if (early && late)
        std::printf("cycle period             first %.1f min %.1f ms, last %.1f min %.1f ms, drift %+.2f %% "
                    "(ideal 330 ms)\n",
                    windowMinutes, *early, windowMinutes, *late, 100.0 * (*late - *early) / *early);
    else
        std::printf("cycle period             too few logged cycles to compare the first and last %.1f min\n",
                    windowMinutes);
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 30.0;
    const double sampleSeconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    const std::string sim = argc > 3 ? argv[3] : "flaky=1:5%,seed=7";
    if (minutes <= 0 || sampleSeconds <= 0) {
        std::fprintf(stderr, "usage: zorik_soak [MINUTES [SAMPLE_SECONDS [ZORIK_SIM]]]\n");
        return 1;
    }
    try {
        e2e::ZorikSession zorik(sim);
        const e2e::MainDialog& dialog = zorik.dialog();
        const WineHostProcess host = findZorik();
        std::printf("soak: %.1f min, ZORIK_SIM=%s, sample every %.0f s, Zorik host pid %d\n", minutes,
                    sim.c_str(), sampleSeconds, host.pid());
        std::printf("%7s %9s %9s %9s %9s %9s %9s %9s\n", "min", "priv MiB", "rss MiB", "log B", "lines",
                    "cyc/s", "ping ms", "click ms");

        startLoopbackTest(zorik);
        const auto start = Clock::now();
        LogWatch log(dialog, start);
        const auto end = start + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(minutes * 60.0));
        const auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(sampleSeconds));

        std::vector<Sample> samples;
        std::vector<double> pings, clicks;
        int unanswered = 0;
        std::optional<CycleSighting> previous; // the last line the rate was taken from
        int channel = 0;
        for (auto next = start;;) {
            log.poll();
            const auto now = Clock::now();
            if (now < next) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            const auto usage = host.usage();
            if (!usage)
                throw std::runtime_error("Zorik's host process has gone");
            const auto ping = pingMillis(dialog);
            const auto click = clickToShowMillis(dialog, channel);
            channel = (channel + 1) % 3; // spread the disturbance over the channels
            if (ping) pings.push_back(*ping); else ++unanswered;
            if (click) clicks.push_back(*click); else ++unanswered;

            // Cycles per second between the newest line of the previous
            // sample and this sample's; 0 while no new line came.
            double rate = 0;
            if (!log.sightings().empty()) {
                const CycleSighting& latest = log.sightings().back();
                if (previous && latest.count > previous->count)
                    rate = static_cast<double>(latest.count - previous->count) /
                           ((latest.seenMillis - previous->seenMillis) / 1000.0);
                previous = latest;
            }
            const double elapsedMinutes = millisBetween(start, now) / 60000.0;
            samples.push_back({elapsedMinutes, *usage, log.length(), log.lines()});
            std::printf("%7.2f %9.2f %9.2f %9zu %9zu %9.2f %9.2f %9.2f\n", elapsedMinutes,
                        mib(usage->privateBytes), mib(usage->residentBytes), log.length(), log.lines(),
                        rate, ping.value_or(-1), click.value_or(-1));
            if (now >= end)
                break;
            next += period;
            if (next > end)
                next = end;
        }
        const auto stopAt = Clock::now();
        stopLoopbackTest(zorik);
        log.poll();
        printSummary(samples, log, pings, clicks, unanswered, start, stopAt);
        const unsigned long code = leave(zorik, false);
        std::printf("Zorik stopped its test and left with exit code %lu\n", code);
        return 0;
    } catch (const std::exception& error) {
        std::printf("soak: FAILED: %s\n", error.what());
        return 2;
    }
}
