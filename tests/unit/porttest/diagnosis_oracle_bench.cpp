// Figures for the diagnosis: for each fault of the oracle's rows (the
// simulated unit's models, 1,000 seeds, no waits), the cycles until every
// input is named right (median, 99th percentile, largest), how many seeds
// were named anything but undetermined and the right finding on the way,
// and for the rows with random exceptions how often the 95 % interval held
// the true rate; then the cost of a reading. Prints numbers; passes or
// fails nothing (diagnosis_test asserts the thresholds).
#include "diagnosis_oracle.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

using namespace zorik;
using namespace zorik::oracle;

namespace {

void printCycles(int cycles)
{
    if (cycles == INT_MAX)
        std::printf("   never");
    else
        std::printf(" %7d", cycles);
}

void printRows(const char* title, const std::vector<Row>& rows, int seeds)
{
    std::printf("\n%s (%d seeds)\n", title, seeds);
    std::printf("%-58s %7s %7s %7s %6s %6s %6s %7s %8s\n", "fault", "median", "p99", "max", "wrong", "flaky", "end",
                "changed", "interval");
    for (const Row& row : rows) {
        const Figures figures = run(row, seeds);
        std::string name = row.settings;
        if (row.change.then != nullptr) {
            name += (row.change.period > 0 ? " <-> " : " -> ") + std::string(row.change.then);
            name += row.change.period > 0 ? " every " + std::to_string(row.change.period)
                                          : " at " + std::to_string(row.change.changeAt);
        }
        if (row.patterns == Patterns::Worker)
            name += ", rand()";
        std::printf("%-58s", name.c_str());
        if (row.watch) {
            printCycles(figures.quantile(0.5));
            printCycles(figures.quantile(0.99));
            printCycles(figures.quantile(1.0));
        } else {
            std::printf(" %7s %7s %7s", "-", "-", "-"); // only the end is looked at
        }
        std::printf(" %6d %6d %6d %7d", figures.wrongOnTheWay, figures.intermittentOnTheWay, figures.wrongAtEnd,
                    figures.changed);
        if (row.change.then != nullptr && row.change.period == 0)
            std::printf(" since within 3: %d, changes not 1: %d", figures.sinceNear, figures.changesOff);
        if (row.rateChannel >= 0)
            std::printf(" %7.1f%%", 100.0 * figures.rateHeld / seeds);
        if (row.flipChannel >= 0)
            std::printf(" exceptions off: %d", figures.exceptionsWrong);
        std::printf("\n");
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int seeds = argc > 1 ? std::atoi(argv[1]) : 1000;
    // The rows of 100,000 cycles: a tenth of the seeds unless told.
    const int longSeeds = argc > 2 ? std::atoi(argv[2]) : seeds / 10;
    std::printf("Diagnosis oracle: cycles to the right finding; wrong = seeds named anything but undetermined and\n"
                "the right finding on the way, flaky = of those named intermittent, end = not right at the end\n");
    printRows("Rules of up to two variables, 60 cycles", fixedRuleRows(), seeds);
    printRows("Fixed rules with random exceptions, 300 cycles", exceptionRows(), seeds);
    printRows("Glitches in a run of 1,000 cycles", glitchRows(), seeds);

    std::vector<Row> flaky = {
        {"flaky=1:1%", {OK, FLAKY, OK}, 300}, {"flaky=0:5%", {FLAKY, OK, OK}, 300},
        {"flaky=2:20%", {OK, OK, FLAKY}, 300}, {"flaky=1:50%", {OK, FLAKY, OK}, 300}};
    printRows("Own output with random exceptions, 300 cycles (1 %: a seed may never err)", flaky, seeds);

    // No goal here: a rule of three variables is named other once its table
    // has settled; on the way it may read as the two-variable rule nearest it.
    const RuleTable a = variableTable(0), b = variableTable(1), c = variableTable(2);
    std::vector<Row> larger = {
        {"by hand: input 2 = out0 AND out1 AND out2", {OK, OK, OTHER}, 400,
         Wired{2, static_cast<RuleTable>(a & b & c)}},
        {"by hand: input 1 = majority of out0, out1, out2", {OK, OTHER, OK}, 400,
         Wired{1, static_cast<RuleTable>((a & b) | (a & c) | (b & c))}},
    };
    printRows("Rules of three variables, 400 cycles (no goal)", larger, seeds);

    std::vector<Row> healthy = {{"healthy", {OK, OK, OK}, 10000}};
    printRows("A healthy unit, 10,000 cycles", healthy, seeds);

    // Cycles counted from the change; changed = seeds told a change on an
    // input that never changed.
    for (Patterns patterns : {Patterns::Oracle, Patterns::Worker}) {
        printRows("A unit that changes once, followed 200 cycles (cycles after the change)", changeRows(patterns),
                  seeds);
        printRows("Input 1 stuck off 100 cycles, healthy 100, for 5,000 cycles (cycles to intermittent between both)",
                  {flappingRow(patterns)}, seeds);
    }
    std::vector<Row> long_ = longRows();
    printRows("Units that never change, 100,000 cycles (changed: seeds told a change)", long_, longSeeds);

    // The cost of one reading to the diagnosis, a named crossed input.
    // Wall time and the process's processor time: on a shared machine the
    // second is the cost.
    Bench bench("cross=0:2,flaky=0:1%", 1);
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t processorStart = std::clock();
    const int cycles = 100000;
    for (int i = 0; i < cycles; ++i)
        bench.runCycle();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double processor = static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC;
    std::printf("\nbench cycle with the simulated unit and the diagnosis: %.2f us per cycle (3 readings), "
                "%.2f us of processor time\n",
                seconds * 1e6 / cycles, processor * 1e6 / cycles);
    return 0;
}
