// The bounded run's side of the dialog: whether there is one, when it is
// over, and the exit code it has earned. The code is "no verdict" until the
// run has really ended one way or another, so that no way out the program
// did not foresee reads as a pass.
#pragma once

#include "bounded_run.h"
#include "command_line.h"
#include "run_control.h"

namespace zorik {

class UnattendedRun {
public:
    void setOptions(const RunOptions& options) { m_options = options; }
    const RunOptions& options() const { return m_options; }
    // A station (/station) runs its units one by one with these bounds,
    // and is no bounded run.
    bool active() const { return m_options.bounds.any() && !station(); }
    bool station() const { return !m_options.stationFile.empty(); }
    // The report's name: /report's, or the usual one.
    const char* reportName() const;

    // The worker stopped by itself (its bound, or memory) and has retired:
    // time to end.
    bool due(const RunFlag& run) const
    {
        return active() && (run.boundReached() || run.outOfMemory()) && !run.workerActive();
    }

    // True the first time only: Test, Esc, a timer and the bound may all
    // ask before the dialog has gone.
    bool beginEnding()
    {
        const bool first = !m_ending;
        m_ending = true;
        return first;
    }
    // The run ended without a test (the port, the thread).
    void endWithoutTest(ExitCode code)
    {
        m_ending = true;
        m_exitCode = code;
    }
    void end(const BoundedRunEnd& how) { m_exitCode = boundedRunExitCode(how); }

    int exitCode() const { return m_exitCode; }

private:
    RunOptions m_options;
    bool m_ending = false;
    int m_exitCode = EXIT_NO_VERDICT;
};

} // namespace zorik
