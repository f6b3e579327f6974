// Cost of one Zorik_Read and one Zorik_Write call through ZorikApi.dll's
// import table, with the unit the DLL is built for (the simulated unit in
// the sim build). Prints figures; judges nothing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "ZorikApi.h"
#include "figures.h"

using namespace zorik::bench;

namespace {

// Nanoseconds per call of `call`, best of `rounds` rounds of `calls` calls:
// the best round is the one least disturbed by the rest of the machine.
template <class Call>
double nanosPerCall(Call call, int calls, int rounds, double& medianOut) {
    std::vector<double> perRound;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        for (int i = 0; i < calls; ++i)
            call(i);
        perRound.push_back(millisBetween(start, Clock::now()) * 1e6 / calls);
    }
    medianOut = median(perRound);
    return percentile(perRound, 0.0);
}

} // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int rounds = 10;
    volatile int sink = 0;
    // The first call reads the unit's settings; keep it out of the figures.
    sink = sink + Zorik_Read(0);

    double readMedian = 0, writeMedian = 0, pairMedian = 0;
    const double readBest = nanosPerCall([&](int) { sink = sink + Zorik_Read(1); }, calls, rounds, readMedian);
    const double writeBest = nanosPerCall([](int i) { Zorik_Write(1, i & 1); }, calls, rounds, writeMedian);
    const double pairBest = nanosPerCall(
        [&](int i) {
            Zorik_Write(i % 3, i & 1);
            sink = sink + Zorik_Read(i % 3);
        },
        calls, rounds, pairMedian);

    // Rows of the table scripts/bench.sh prints: what | figure | how.
    const auto row = [&](const char* what, double medianNs, double bestNs) {
        std::printf("ROW|%s|median %.0f ns, best %.0f ns|%d rounds x %d calls, simulated unit\n", what,
                    medianNs, bestNs, rounds, calls);
    };
    row("Zorik_Read, one call", readMedian, readBest);
    row("Zorik_Write, one call", writeMedian, writeBest);
    row("Zorik_Write + Zorik_Read", pairMedian, pairBest);
    return 0;
}
