#include "fault_run.h"

#include <chrono>

#include "cp949_text.h"
#include "expectations.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {

::testing::AssertionResult runAndSave(ZorikSession& zorik, std::uint64_t cycles, FaultRun& run) {
    const MainDialog& dialog = zorik.dialog();
    const auto started = std::chrono::steady_clock::now();
    if (auto ok = startLoopbackTest(zorik); !ok)
        return ok << " (starting the test)";

    // Extra time for logging and a loaded machine.
    const Millis window(static_cast<long>(cycles) * kShortestCycleMs * 3 / 2);
    std::string problem;
    waitUntil(
        [&] {
            auto lines = parseLog(dialog.text(kLogBox), problem);
            return !lines || (!lines->empty() && lines->back().count >= cycles);
        },
        window, Millis(50));
    if (!problem.empty())
        return ::testing::AssertionFailure() << "while running: " << problem;
    if (auto ok = stopLoopbackTest(zorik); !ok)
        return ok << " (stopping the test)";
    run.ranMs = static_cast<long>(elapsedSince(started).count());
    run.shownLog = dialog.text(kLogBox);

    const auto file = saveAndLeave(zorik);
    if (!file)
        return ::testing::AssertionFailure() << "no " << kReportName << " after saving";
    const auto report = parseReport(*file, problem);
    if (!report)
        return ::testing::AssertionFailure() << problem;
    run.report = *report;
    const auto lines = parseLog(report->log, problem);
    if (!lines)
        return ::testing::AssertionFailure() << "in the report: " << problem;
    run.lines = *lines;
    if (run.report.log != run.shownLog)
        return ::testing::AssertionFailure()
               << "the report holds another log than the box showed: saved "
               << escapedBytes(run.report.log) << ", shown " << escapedBytes(run.shownLog);
    return ::testing::AssertionSuccess();
}

} // namespace zorik::e2e
