// The real program on every fault the simulated unit models: it neither
// crashes nor hangs, and its log holds exactly the disagreements the fault
// implies. Every case runs one program from start to saved report.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "disagreement_checks.h"
#include "fault_run.h"
#include "reference_patterns.h"

namespace zorik::e2e {
namespace {

// The library's latch starts with every channel bit set, so the first
// write of a run, channel 0's in cycle 1, drives outputs 1 and 2 on. Before
// that the unit's outputs are all off.
constexpr bool kOffBeforeFirstWrite = false;
constexpr bool kOnAfterFirstWrite = true;

// Enough cycles that every channel a deterministic fault can spoil shows
// it: the chance that a channel is never driven to the failing level is
// 2^-16.
constexpr std::uint64_t kCycles = 16;

// Runs the loopback test on a unit with `fault` and checks what holds for
// every fault: a log in cycle order, and no more cycles than one loop can
// run in the time.
void runOnFault(const std::string& fault, std::uint64_t cycles, FaultRun& run) {
    SCOPED_TRACE("ZORIK_SIM=" + fault);
    ZorikSession zorik(fault);
    ASSERT_TRUE(runAndSave(zorik, cycles, run));
    const std::uint64_t counted = run.report.count;
    EXPECT_GE(counted, cycles / 2) << "too few cycles for the checks to tell anything";
    EXPECT_TRUE(cycleCountFits(counted, run.ranMs, 1));
    EXPECT_TRUE(linesInCycleOrder(run.lines, counted));

    int perChannel[3] = {0, 0, 0};
    for (const LogLine& line : run.lines)
        if (line.inputChannel >= 0 && line.inputChannel < 3)
            ++perChannel[line.inputChannel];
    std::printf("matrix: ZORIK_SIM=%s: %llu cycles in %ld ms, lines per channel %d/%d/%d\n",
                fault.c_str(), static_cast<unsigned long long>(counted), run.ranMs, perChannel[0],
                perChannel[1], perChannel[2]);
}

TEST(FaultMatrix, AbsentUnitLogsEveryChannelDrivenOn) {
    FaultRun run;
    ASSERT_NO_FATAL_FAILURE(runOnFault("absent", kCycles, run));
    for (int c = 0; c < 3; ++c) {
        EXPECT_TRUE(everyLineReads(run.lines, c, kOnText, kOffText));
        EXPECT_TRUE(lineCountFits(run.lines, c, run.report.count, 0.5));
    }
}

// An input stuck on disagrees where its output was driven off, one stuck
// off where it was driven on.
TEST(FaultMatrix, StuckInputLogsOnlyItsChannelWhereDrivenTheOtherWay) {
    const struct {
        const char* fault;
        const char* output;
        const char* input;
    } stuck[] = {{"stuck-on=", kOffText, kOnText}, {"stuck-off=", kOnText, kOffText}};
    for (const auto& kind : stuck) {
        for (int c = 0; c < 3; ++c) {
            SCOPED_TRACE("input " + std::to_string(c));
            FaultRun run;
            ASSERT_NO_FATAL_FAILURE(runOnFault(kind.fault + std::to_string(c), kCycles, run));
            EXPECT_TRUE(onlyOnChannels(run.lines, {c}));
            EXPECT_TRUE(everyLineReads(run.lines, c, kind.output, kind.input));
            EXPECT_TRUE(lineCountFits(run.lines, c, run.report.count, 0.5));
        }
    }
}

TEST(FaultMatrix, CrossedInputsLogTheirPairWhereTheLevelsDiffer) {
    FaultRun run;
    ASSERT_NO_FATAL_FAILURE(runOnFault("cross=0:1", kCycles, run));
    EXPECT_TRUE(onlyOnChannels(run.lines, {0, 1}));
    EXPECT_TRUE(consistentWithCrossedInputs(run.lines, 0, 1, run.report.count,
                                            kOnAfterFirstWrite));
    EXPECT_TRUE(lineCountFits(run.lines, 0, run.report.count, 0.5));
    EXPECT_TRUE(lineCountFits(run.lines, 1, run.report.count, 0.5));
}

TEST(FaultMatrix, IntermittentInputLogsItsChannelAtItsRate) {
    // More cycles than the others: the count is checked against a rate.
    FaultRun run;
    ASSERT_NO_FATAL_FAILURE(runOnFault("flaky=2:40%,seed=7", 2 * kCycles, run));
    EXPECT_TRUE(onlyOnChannels(run.lines, {2}));
    EXPECT_TRUE(lineCountFits(run.lines, 2, run.report.count, 0.4));
}

TEST(FaultMatrix, InputSettlingWithinTheDelayLogsNothing) {
    FaultRun run;
    ASSERT_NO_FATAL_FAILURE(runOnFault("slow=1:3", kCycles, run));
    EXPECT_TRUE(run.lines.empty()) << run.lines.size() << " lines";
}

// Late by more than the settling delay and less than a channel step, and
// by more than a channel step but less than a cycle: either way the input
// shows the level of the cycle before. In cycle 1, 40 ms back lies after
// the run's first write (channel 0's, some 120 ms before channel 1 is
// read), 250 ms back before it.
TEST(FaultMatrix, InputSettlingBeyondTheDelayLogsEveryChange) {
    const struct {
        const char* fault;
        bool levelAtStart;
    } cases[] = {{"slow=1:40", kOnAfterFirstWrite}, {"slow=1:250", kOffBeforeFirstWrite}};
    for (const auto& lag : cases) {
        FaultRun run;
        ASSERT_NO_FATAL_FAILURE(runOnFault(lag.fault, kCycles, run));
        SCOPED_TRACE(lag.fault);
        EXPECT_TRUE(onlyOnChannels(run.lines, {1}));
        EXPECT_TRUE(consistentWithLateInput(run.lines, 1, lag.levelAtStart));
        EXPECT_TRUE(lineCountFits(run.lines, 1, run.report.count, 0.5));
    }
}

// Each fault's lines predicted from the patterns an absent unit's run
// recorded, with the fault model alone: the levels shown at each step.
bool driven(const DrivenPatterns& patterns, std::uint64_t cycle, int channel) {
    return (patterns[cycle - 1] >> channel) & 1u;
}

bool outputOneBeforeItsStep(const DrivenPatterns& patterns, std::uint64_t cycle,
                            bool inCycleOne) {
    return cycle == 1 ? inCycleOne : driven(patterns, cycle - 1, 1);
}

TEST(ReferenceRun, FaultsLogExactlyThePredictedLines) {
    FaultRun reference;
    ASSERT_NO_FATAL_FAILURE(runOnFault("absent", kCycles, reference));
    for (int c = 0; c < 3; ++c)
        ASSERT_TRUE(everyLineReads(reference.lines, c, kOnText, kOffText));
    const DrivenPatterns patterns = patternsOfAbsentRun(reference.lines, reference.report.count);

    const struct {
        const char* fault;
        InputModel input;
    } cases[] = {
        {"stuck-on=1", [](const DrivenPatterns& p, std::uint64_t n,
                          int c) { return c == 1 || driven(p, n, c); }},
        {"stuck-off=2", [](const DrivenPatterns& p, std::uint64_t n,
                           int c) { return c != 2 && driven(p, n, c); }},
        {"cross=0:1",
         [](const DrivenPatterns& p, std::uint64_t n, int c) {
             if (c == 0)
                 return outputOneBeforeItsStep(p, n, kOnAfterFirstWrite);
             return driven(p, n, c == 1 ? 0 : c);
         }},
        {"slow=1:40",
         [](const DrivenPatterns& p, std::uint64_t n, int c) {
             return c == 1 ? outputOneBeforeItsStep(p, n, kOnAfterFirstWrite) : driven(p, n, c);
         }},
        {"slow=1:250",
         [](const DrivenPatterns& p, std::uint64_t n, int c) {
             return c == 1 ? outputOneBeforeItsStep(p, n, kOffBeforeFirstWrite) : driven(p, n, c);
         }},
    };
    for (const auto& fault : cases) {
        FaultRun run;
        ASSERT_NO_FATAL_FAILURE(runOnFault(fault.fault, kCycles, run));
        SCOPED_TRACE(fault.fault);
        const std::uint64_t cycles = std::min<std::uint64_t>(run.report.count, patterns.size());
        const DrivenPatterns covered(patterns.begin(), patterns.begin() + cycles);
        EXPECT_TRUE(linesAsPredicted(run.lines, predictLines(covered, fault.input), cycles));
    }
}

} // namespace
} // namespace zorik::e2e
