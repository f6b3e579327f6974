// The loopback test's cycle through InpOut32's library against the cycle
// through giveio (the processor's own in/out instructions), in the hardware
// build. Each route runs in a child process of its own beside a staged copy
// of ZorikApi.dll: Access=giveio in a prefix with the giveio device, and
// Access=inpout32 with the stand-in inpout32.dll, which takes
// ZORIK_INPOUT_DELAY_US (20 unless set) per call, as a round trip to a
// kernel driver costs. The cycle is the worker's: per channel a write, the
// 10 ms settle, a read, and the 100 ms gap timed from the reading. Prints
// figures; judges nothing.
//
//   zorik_inpout_route_bench [ROUNDS [CYCLES]]   (alternating rounds, default 3 x 15 cycles)
//   zorik_inpout_route_bench child CYCLES        (one route's cycles, run by the above)
#include "ZorikApi.h"
#include "figures.h"
#include "support/staged_library.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace zorik::bench;
using zorik::wine::StagedFile;
using zorik::wine::StagedLibrary;

namespace {

constexpr char PROGRAM[] = "zorik_inpout_route_bench.exe";
constexpr double SETTLE_MS = 10;
constexpr double GAP_MS = 100;

// Sleeps until `ms` have passed since `from`, by the clock, as the worker's
// waits do.
void waitUntil(Clock::time_point from, double ms)
{
    for (;;) {
        const double left = ms - millisBetween(from, Clock::now());
        if (left <= 0)
            return;
        Sleep(left > 2 ? static_cast<DWORD>(left - 1) : 0);
    }
}

int child(int cycles)
{
    if (Zorik_Open(1) != 1) {
        std::fprintf(stderr, "Zorik_Open(1) refused\n");
        return 2;
    }
    // One call's cost, for the table.
    constexpr int CALLS = 2000;
    volatile int sink = 0;
    const auto callsStart = Clock::now();
    for (int i = 0; i < CALLS; ++i)
        sink = sink + Zorik_Read(i % 3);
    const double perCallUs = millisBetween(callsStart, Clock::now()) * 1000 / CALLS;

    std::vector<double> periods;
    unsigned pattern = 5;
    auto cycleStart = Clock::now();
    for (int cycle = 0; cycle <= cycles; ++cycle) {
        pattern = pattern * 1103515245u + 12345u;
        for (int channel = 0; channel < 3; ++channel) {
            Zorik_Write(channel, (pattern >> (16 + channel)) & 1);
            const auto written = Clock::now();
            waitUntil(written, SETTLE_MS);
            sink = sink + Zorik_Read(channel);
            waitUntil(Clock::now(), GAP_MS);
        }
        const auto now = Clock::now();
        if (cycle > 0) // the first cycle warms up
            periods.push_back(millisBetween(cycleStart, now));
        cycleStart = now;
    }
    std::printf("CHILD|%.4f|%.4f|%.3f\n", median(periods), mean(periods), perCallUs);
    return 0;
}

struct RouteFigures {
    std::vector<double> medians;
    std::vector<double> means;
    std::vector<double> perCallUs;
};

bool runChild(const StagedLibrary& staged, int cycles, RouteFigures& figures)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::string commandLine = "\"" + staged.programPath() + "\" child " + std::to_string(cycles);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        staged.folder().c_str(), &startup, &process);
    CloseHandle(writeEnd);
    std::string output;
    char buffer[512];
    DWORD got = 0;
    while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got != 0)
        output.append(buffer, got);
    CloseHandle(readEnd);
    if (!started)
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    double medianMs = 0, meanMs = 0, perCall = 0;
    const std::size_t at = output.find("CHILD|");
    if (at == std::string::npos || std::sscanf(output.c_str() + at, "CHILD|%lf|%lf|%lf", &medianMs, &meanMs,
                                               &perCall) != 3) {
        std::fprintf(stderr, "child said: %s\n", output.c_str());
        return false;
    }
    figures.medians.push_back(medianMs);
    figures.means.push_back(meanMs);
    figures.perCallUs.push_back(perCall);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::string(argv[1]) == "child")
        return child(std::atoi(argv[2]));
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const int cycles = argc > 2 ? std::atoi(argv[2]) : 15;

    char delay[16] = "";
    if (!GetEnvironmentVariableA("ZORIK_INPOUT_DELAY_US", delay, sizeof delay))
        SetEnvironmentVariableA("ZORIK_INPOUT_DELAY_US", "20");
    GetEnvironmentVariableA("ZORIK_INPOUT_DELAY_US", delay, sizeof delay);

    const StagedLibrary giveio(PROGRAM, "[Port]\r\nAccess=giveio\r\n");
    const StagedLibrary inpOut(PROGRAM, "[Port]\r\nAccess=inpout32\r\n",
                               {{"inpout32.dll", ZORIK_INPOUT_STANDIN, ""}});
    for (const StagedLibrary* staged : {&giveio, &inpOut}) {
        if (staged->programPath().empty()) {
            std::fprintf(stderr, "%s\n", staged->problem().c_str());
            return 2;
        }
    }
    RouteFigures viaGiveio, viaInpOut;
    for (int round = 0; round < rounds; ++round) {
        std::fprintf(stderr, "round %d of %d\n", round + 1, rounds);
        if (!runChild(giveio, cycles, viaGiveio) || !runChild(inpOut, cycles, viaInpOut))
            return 2;
    }
    const double giveioMedian = median(viaGiveio.medians);
    const double inpOutMedian = median(viaInpOut.medians);
    std::printf("ROW|test cycle through giveio (in/out) / through inpout32.dll, %s us a call added|median %.2f / "
                "%.2f ms: %.4f (means %.4f)|%d alternating rounds of %d cycles, each route in a process of its "
                "own\n",
                delay, giveioMedian, inpOutMedian, inpOutMedian / giveioMedian,
                mean(viaInpOut.means) / mean(viaGiveio.means), rounds, cycles);
    std::printf("ROW|one Zorik_Read through giveio (in/out) / through inpout32.dll|median %.2f / %.2f us|2,000 "
                "calls a round; under Wine each in/out is refused and skipped, so giveio's figure is Wine's "
                "fault handling, not a port's\n",
                median(viaGiveio.perCallUs), median(viaInpOut.perCallUs));
    return 0;
}
