// /rate:5 on the simulated unit's model, as the worker asks the rule before
// each cycle: a healthy unit passes after exactly n = 59 cycles on every
// seed; a stuck-off input fails once all three findings are named, at a
// median of at most 30 cycles and always before 3n (the rule's own table,
// Station.RateRuleEndsTheTest, has the 3n bound).
#include "diagnosis_oracle.h"
#include "proof_rate.h"
#include "result_file.h"
#include "unit_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

using namespace zorik;

namespace {

// The diagnosis oracle's unit and cycle (diagnosis_oracle.h), with the
// rule asked before each cycle as the worker asks it.
struct RateRun {
    std::uint32_t cycles = 0;
    RunEnded ended = RunEnded::None;
};

RateRun runAtRate(oracle::Bench& unit, std::uint32_t rate)
{
    const ProofRule rule(rate, unit.diagnosis);
    RateRun run;
    while ((run.ended = rule.ended(run.cycles)) == RunEnded::None) {
        unit.runCycle();
        ++run.cycles;
    }
    return run;
}

} // namespace

TEST(StationRate, HealthyProvedAt59AndStuckOffNamedSoon)
{
    constexpr int kSeeds = 300;
    std::vector<std::uint32_t> failing;
    for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
        SCOPED_TRACE(seed);
        oracle::Bench healthy("", seed);
        const RateRun pass = runAtRate(healthy, 500);
        EXPECT_EQ(pass.ended, RunEnded::Proved);
        EXPECT_EQ(pass.cycles, 59u);

        oracle::Bench stuck("stuck-off=1", seed);
        const RateRun fail = runAtRate(stuck, 500);
        EXPECT_EQ(fail.ended, RunEnded::Finding);
        EXPECT_EQ(stuck.diagnosis.input(0).finding, Finding::Ok);
        EXPECT_EQ(stuck.diagnosis.input(1).finding, Finding::StuckOff);
        EXPECT_EQ(stuck.diagnosis.input(2).finding, Finding::Ok);
        EXPECT_LT(fail.cycles, 177u);
        failing.push_back(fail.cycles);
    }
    std::sort(failing.begin(), failing.end());
    EXPECT_LE(failing[failing.size() / 2], 30u);
}

// What a unit's end makes of the run: its row, its result file, its files'
// names.
TEST(StationRate, TheUnitsRowAndResultFile)
{
    oracle::Bench healthy("", 4), stuck("stuck-off=1", 4);
    runAtRate(healthy, 500);
    runAtRate(stuck, 500);
    const UnitIdentity unit = {"2026-12-09 08:00:00", "LINE1", "SN 9", 2, "1.0.0.1"};
    const SummaryFigures passed = {59, {0, 0, 0}, 20};
    const SummaryFigures failed = {21, {0, 9, 0}, 7};

    const HistoryRow pass = unitRow(unit, passed, healthy.diagnosis, RunEnding::Proved);
    EXPECT_EQ(formatHistoryRow(pass),
              "2026-12-09 08:00:00,LINE1,SN 9,2,PASS,proved,59,20,0,present,ok,ok,ok,out0,out1,out2,0,1.0.0.1\r\n");
    const HistoryRow fail = unitRow(unit, failed, stuck.diagnosis, RunEnding::Finding);
    EXPECT_EQ(formatHistoryRow(fail),
              "2026-12-09 08:00:00,LINE1,SN 9,2,FAIL,finding,21,7,9,present,ok,stuck-off,ok,out0,0,out2,0,1.0.0.1\r\n");

    const std::string ini = formatResultFile(passed, healthy.diagnosis, unitOutcome(passed, RunEnding::Proved, 500));
    EXPECT_NE(ini.find("[Result]\r\nVerdict=PASS\r\nCycles=59\r\nDisagreements=0\r\nSeconds=20\r\nUnit=present\r\n"
                       "Ended=proved\r\nProvenBelow=5\r\nExitCode=0\r\n[Input0]"),
              std::string::npos)
        << ini;

    // A unit's verdict, Ended and ExitCode however its test ended.
    const struct {
        SummaryFigures figures;
        RunEnding ended;
        const char* verdict;
        int exitCode;
        const char* provenBelow; // nullptr: no such key
    } outcomes[] = {
        {passed, RunEnding::Proved, "PASS", 0, "5"},        {passed, RunEnding::Bound, "PASS", 0, nullptr},
        {passed, RunEnding::Early, "INCOMPLETE", 4, nullptr}, {failed, RunEnding::Early, "FAIL", 4, nullptr},
        {failed, RunEnding::Finding, "FAIL", 1, nullptr},    {failed, RunEnding::Bound, "FAIL", 1, nullptr},
        {passed, RunEnding::OutOfMemory, "INCOMPLETE", 7, nullptr}, {failed, RunEnding::OutOfMemory, "FAIL", 7, nullptr},
    };
    for (const auto& row : outcomes) {
        SCOPED_TRACE(runEndingWord(row.ended));
        const HistoryRow record = unitRow(unit, row.figures, healthy.diagnosis, row.ended);
        EXPECT_EQ(record.verdict, row.verdict);
        EXPECT_EQ(record.ended, runEndingWord(row.ended));
        const RunOutcome outcome = unitOutcome(row.figures, row.ended, 500);
        EXPECT_EQ(outcome.exitCode, row.exitCode);
        const std::string text = formatResultFile(row.figures, healthy.diagnosis, outcome);
        EXPECT_EQ(text.find("ProvenBelow=") != std::string::npos, row.provenBelow != nullptr) << text;
    }

    // ProvenBelow only beside Ended=proved, whatever rate the caller hands
    // in (a bounded /rate run hands its P in whichever way it ended).
    for (RunEnding ended : {RunEnding::Bound, RunEnding::Early, RunEnding::Finding, RunEnding::OutOfMemory,
                            RunEnding::Operator}) {
        RunOutcome outcome;
        outcome.ended = ended;
        outcome.provenBelow = 500;
        EXPECT_EQ(formatResultFile(passed, healthy.diagnosis, outcome).find("ProvenBelow="), std::string::npos)
            << runEndingWord(ended);
    }

    // A unit whose report could not be written: 3, as a bounded run's.
    EXPECT_EQ(unitOutcome(passed, RunEnding::Proved, 500, false).exitCode, 3);
    EXPECT_EQ(unitOutcome(failed, RunEnding::OutOfMemory, 500, false).exitCode, 7);

    EXPECT_EQ(unitFileStem("units", "SN-1", 2), "units\\SN-1-2");
    // Names Windows would take for one (any case) get a tag of their own.
    const struct {
        std::vector<std::string> taken;
        const char* serial;
        const char* stem;
    } names[] = {
        {{}, "ab-12", "u\\ab-12-1"},
        {{"u\\ab-12-1"}, "AB-12", "u\\AB-12-1~2"},
        {{"u\\ab-12-1", "u\\Ab-12-1~2"}, "aB-12", "u\\aB-12-1~3"},
    };
    for (const auto& row : names) {
        SCOPED_TRACE(row.serial);
        const auto taken = [&](const std::string& stem) {
            for (const std::string& name : row.taken) {
                bool same = name.size() == stem.size();
                for (std::size_t i = 0; same && i < name.size(); ++i)
                    same = std::tolower(static_cast<unsigned char>(name[i])) ==
                           std::tolower(static_cast<unsigned char>(stem[i]));
                if (same)
                    return true;
            }
            return false;
        };
        EXPECT_EQ(unitFileStem("u", row.serial, 1, taken), row.stem);
    }
    EXPECT_EQ(unitFileStem("C:\\Line\\", "A/B:C*%", 1), "C:\\Line\\A%2FB%3AC%2A%25-1");
    EXPECT_EQ(unitFileStem("D:", "x?<>|\"", 3), "D:x%3F%3C%3E%7C%22-3");
}
