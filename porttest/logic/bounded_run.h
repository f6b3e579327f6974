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

    bool any() const { return cycles != 0 || seconds != 0; }
    // Checked before a cycle begins, so the cycle under way always
    // completes and cycle `cycles` + 1 never begins.
    bool reached(std::uint32_t cyclesBegun, std::uint64_t testingMs) const
    {
        return (cycles != 0 && cyclesBegun >= cycles)
            || (seconds != 0 && testingMs >= std::uint64_t{seconds} * 1000u);
    }
};

// The program's exit codes. Without arguments it always ends with 0.
enum ExitCode : int {
    EXIT_NO_DISAGREEMENT = 0,
    EXIT_DISAGREEMENT = 1,
    EXIT_PORT_NOT_OPENED = 2,  // Zorik_Open returned 0: no test ran, no report
    EXIT_REPORT_NOT_WRITTEN = 3,
    EXIT_ENDED_EARLY = 4,      // Test, the exit button, Esc or the close box
    EXIT_REFUSED_ARGUMENT = 64,
};

// How a bounded run that got as far as testing ends. A missing report
// outranks everything, since the batch file cannot read what was found;
// an early end outranks the verdict, which then covers only part of the run.
inline ExitCode boundedRunExitCode(bool reportWritten, bool boundReached,
                                   std::uint64_t disagreements)
{
    if (!reportWritten)
        return EXIT_REPORT_NOT_WRITTEN;
    if (!boundReached)
        return EXIT_ENDED_EARLY;
    return disagreements != 0 ? EXIT_DISAGREEMENT : EXIT_NO_DISAGREEMENT;
}

} // namespace zorik
