// The hardware build under Wine, which refuses the port instructions: the
// library's own messages come first, then the dialog works on a port that
// reads nothing. The Windows version each case runs on is set by its test
// entry.
#include <gtest/gtest.h>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

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

// A run on the dead port: every channel driven on disagrees with its input.
void runLoopbackTestOnADeadPort(ZorikSession& zorik) {
    ASSERT_TRUE(startLoopbackTest(zorik));
    std::vector<LogLine> lines;
    ASSERT_TRUE(logShowsLines(zorik.dialog(), 2, lines, Millis(8000)));
    ASSERT_TRUE(stopLoopbackTest(zorik));
    ASSERT_TRUE(logShowsLines(zorik.dialog(), 0, lines, Millis(0)));
    for (const LogLine& line : lines) {
        EXPECT_EQ(line.inputChannel, line.outputChannel);
        EXPECT_EQ(line.outputState, lines.front().outputState);
        EXPECT_EQ(line.inputState, lines.front().inputState);
        EXPECT_NE(line.outputState, line.inputState);
    }
}

// Windows NT family without the giveio driver.
TEST(HardwareBuild, NtWithoutGiveioWarnsThenWorksOnADeadPort) {
    ZorikSession zorik;
    std::optional<MessageBoxWindow> box;
    ASSERT_TRUE(showsMessageBox(zorik, kLibraryFatalCaption, kGiveioMissing, box, kStartTimeout));
    EXPECT_TRUE(box->hasButton(IDOK));
    EXPECT_FALSE(box->hasButton(IDCANCEL));
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));

    ASSERT_TRUE(showsMessageBox(zorik, kDialogCaption, kCannotFindPort, box));
    EXPECT_TRUE(box->hasButton(IDOK));
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));

    const MainDialog& dialog = zorik.dialog();
    EXPECT_TRUE(showsText(dialog, kLogBox, kFreshLog, Millis(0)));
    switchOutputsOnAPortThatReadsNothing(dialog);
    runLoopbackTestOnADeadPort(zorik);

    dialog.pressKey(VK_ESCAPE);
    EXPECT_TRUE(endsWithoutAsking(zorik));
}

// Windows 9x family: the library trusts the port without a check.
TEST(HardwareBuild, Win9xOpensWithoutAnyMessage) {
    ZorikSession zorik;
    const MainDialog& dialog = zorik.dialog();
    EXPECT_FALSE(MessageBoxWindow::isShown(zorik.processId()));
    EXPECT_TRUE(showsText(dialog, kLogBox, kFreshLog, Millis(0)));
    switchOutputsOnAPortThatReadsNothing(dialog);
    runLoopbackTestOnADeadPort(zorik);

    const auto report = saveAndLeave(zorik);
    ASSERT_TRUE(report) << "no " << kReportName;
    std::string problem;
    EXPECT_TRUE(parseReport(*report, problem)) << problem;
}

} // namespace
} // namespace zorik::e2e
