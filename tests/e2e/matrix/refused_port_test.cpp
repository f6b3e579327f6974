// The hardware build on a port that Wine refuses: the library's own
// messages come first, then every port instruction is skipped, the status
// register reads 0xFF, so every input reads off whatever was driven. The
// loop must log exactly the channels driven on, as on an absent unit. The
// Windows version comes from the test entry.
#include <gtest/gtest.h>

#include <cstdio>

#include "disagreement_checks.h"
#include "expectations.h"
#include "fault_run.h"
#include "log_text.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

constexpr std::uint64_t kCycles = 16;

// Switches every output on and back off; the inputs read the refused port
// as an empty bus and stay off throughout.
void switchOutputsOnAPortThatReadsNothing(const MainDialog& dialog) {
    for (int c = 0; c < 3; ++c) {
        for (int state : {1, 0}) {
            dialog.mouseClick(outputId(c));
            ASSERT_TRUE(showsCheck(dialog, outputId(c), state)) << "output " << c;
            int lit = -1;
            // Three poll periods.
            waitUntil(
                [&] {
                    for (int i = 0; i < 3; ++i)
                        if (dialog.checkState(inputId(i)) != 0)
                            lit = i;
                    return lit >= 0;
                },
                Millis(300), Millis(10));
            EXPECT_EQ(lit, -1) << "input " << lit << " lit with output " << c << " at " << state;
        }
    }
}

// The dialog on the dead port: switches light no input, and a loopback
// run logs every channel driven on, each line with the same pair of
// states, and saves what it showed.
void expectADeadPort(ZorikSession& zorik) {
    const MainDialog& dialog = zorik.dialog();
    EXPECT_TRUE(showsText(dialog, kLogBox, kFreshLog, Millis(0)));
    switchOutputsOnAPortThatReadsNothing(dialog);

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
    for (const LogLine& line : run.lines) {
        EXPECT_EQ(line.inputChannel, line.outputChannel);
        EXPECT_EQ(line.outputState, run.lines.front().outputState);
        EXPECT_EQ(line.inputState, run.lines.front().inputState);
        EXPECT_NE(line.outputState, line.inputState);
    }
    std::printf("matrix: refused port: %llu cycles in %ld ms, %zu lines\n",
                static_cast<unsigned long long>(counted), run.ranMs, run.lines.size());
}

// Windows NT family without the giveio driver: the library's box, then
// the program's, each with an OK button only.
TEST(RefusedPort, NtWithoutGiveioWarnsThenWorksOnADeadPort) {
    ZorikSession zorik;
    std::optional<MessageBoxWindow> box;
    ASSERT_TRUE(showsMessageBox(zorik, kLibraryFatalCaption, kGiveioMissing, box, kStartTimeout));
    EXPECT_TRUE(box->hasButton(IDOK));
    EXPECT_FALSE(box->hasButton(IDCANCEL));
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));
    ASSERT_TRUE(showsMessageBox(zorik, kDialogCaption, kCannotFindPort, box));
    EXPECT_TRUE(box->hasButton(IDOK));
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));
    expectADeadPort(zorik);
}

// Windows 9x family: the library trusts the port without a check.
TEST(RefusedPort, Win9xOpensWithoutAnyMessageOnADeadPort) {
    ZorikSession zorik;
    zorik.dialog();
    EXPECT_FALSE(MessageBoxWindow::isShown(zorik.processId()));
    expectADeadPort(zorik);
}

} // namespace
} // namespace zorik::e2e
