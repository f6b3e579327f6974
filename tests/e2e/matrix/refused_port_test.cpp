// The hardware build on a port that Wine refuses: every port instruction
// is skipped, the status register reads 0xFF, so every input reads off
// whatever was driven. The loop must log exactly the channels driven on,
// as on an absent unit. The Windows version comes from the test entry.
#include <gtest/gtest.h>

#include <cstdio>

#include "disagreement_checks.h"
#include "expectations.h"
#include "fault_run.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

constexpr std::uint64_t kCycles = 16;

void expectLinesOfADeadPort(ZorikSession& zorik) {
    FaultRun run;
    ASSERT_TRUE(runAndSave(zorik, kCycles, run));
    const std::uint64_t counted = run.report.count;
    EXPECT_GE(counted, kCycles / 2);
    EXPECT_TRUE(cycleCountFits(counted, run.ranMs, 1));
    EXPECT_TRUE(linesInCycleOrder(run.lines, counted));
    for (int c = 0; c < 3; ++c) {
        EXPECT_TRUE(everyLineReads(run.lines, c, kOnText, kOffText));
        EXPECT_TRUE(lineCountFits(run.lines, c, counted, 0.5));
    }
    std::printf("matrix: refused port: %llu cycles in %ld ms, %zu lines\n",
                static_cast<unsigned long long>(counted), run.ranMs, run.lines.size());
}

TEST(RefusedPort, NtWithoutGiveioLogsEveryChannelDrivenOn) {
    ZorikSession zorik;
    std::optional<MessageBoxWindow> box;
    ASSERT_TRUE(showsMessageBox(zorik, kLibraryFatalCaption, kGiveioMissing, box, kStartTimeout));
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));
    ASSERT_TRUE(showsMessageBox(zorik, kDialogCaption, kCannotFindPort, box));
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));
    expectLinesOfADeadPort(zorik);
}

TEST(RefusedPort, Win9xLogsEveryChannelDrivenOn) {
    ZorikSession zorik;
    expectLinesOfADeadPort(zorik);
}

} // namespace
} // namespace zorik::e2e
