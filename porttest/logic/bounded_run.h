// A run from the command line that ends by itself: after a number of
// cycles, after a time spent testing, or whichever comes first; then the
// program writes its report without asking and ends with an exit code a
// batch file can test with "if errorlevel".
#pragma once

#include <cstdint>

namespace zorik {

// 0 in a field: no bound of that kind.
struct RunBounds {
    std::uint32_t cycles = 0;
    std::uint32_t seconds = 0;
    // /rate:P in hundredths of a percent (proof_rate.h): the run ends once
    // the rate is proved or the fault named; the worker asks its EndRule.
    std::uint32_t rate = 0;

    bool any() const { return cycles != 0 || seconds != 0 || rate != 0; }
    // Checked before a cycle begins, so the cycle under way always
    // completes and cycle `cycles` + 1 never begins.
    bool reached(std::uint32_t cyclesBegun, std::uint64_t testingMs) const
    {
        return (cycles != 0 && cyclesBegun >= cycles)
            || (seconds != 0 && testingMs >= std::uint64_t{seconds} * 1000u);
    }
};

// The program's exit codes. Without bounds it ends with 0, or with
// EXIT_OUT_OF_MEMORY / EXIT_PROGRAM_FAILED / EXIT_NO_VERDICT when it could
// not go on, and EXIT_REPORT_NOT_WRITTEN when its /result file could not be
// written.
enum ExitCode : int {
    EXIT_NO_DISAGREEMENT = 0,
    EXIT_DISAGREEMENT = 1,
    EXIT_PORT_NOT_OPENED = 2,  // Zorik_Open returned 0: no test ran, no report
    // The report or the result file could not be written, the journal
    // stays behind, or an earlier result file could not be removed.
    EXIT_REPORT_NOT_WRITTEN = 3,
    EXIT_ENDED_EARLY = 4,      // Test, the exit button, Esc or the close box
    // What a bounded run holds until it reaches a verdict: it ends with
    // this when it never got as far (no dialog could be made, or the
    // program failed on its way).
    EXIT_NO_VERDICT = 5,
    EXIT_TEST_NOT_STARTED = 6, // no thread for the test: no report
    EXIT_OUT_OF_MEMORY = 7,    // the test stopped; report written if it could be, journal kept
    // The program failed: a structured exception (an access violation, an
    // illegal instruction, a stack overflow ...) that nothing handled, in
    // any thread. The journal is left for the next start to recover.
    EXIT_PROGRAM_FAILED = 8,
    EXIT_REFUSED_ARGUMENT = 64,
};

// How a bounded run that got as far as testing ended.
struct BoundedRunEnd {
    bool reportWritten;
    bool boundReached;
    bool outOfMemory;
    std::uint64_t disagreements;
    bool resultWritten = true; // /result, when given
    bool journalLeft = false;  // the journal could not be removed
};

// Memory running out outranks everything (the run could not go on); a
// missing report or result file outranks the rest, since the batch file
// cannot read what was found, and so does a journal left behind, which the
// next start would recover as a crashed run's; an early end outranks the
// verdict, which then covers only part of the run.
inline ExitCode boundedRunExitCode(const BoundedRunEnd& end)
{
    if (end.outOfMemory)
        return EXIT_OUT_OF_MEMORY;
    if (!end.reportWritten || !end.resultWritten || end.journalLeft)
        return EXIT_REPORT_NOT_WRITTEN;
    if (!end.boundReached)
        return EXIT_ENDED_EARLY;
    return end.disagreements != 0 ? EXIT_DISAGREEMENT : EXIT_NO_DISAGREEMENT;
}

} // namespace zorik
