// Leaving while the loopback test runs: the loop must not keep the program
// alive, nor touch the dialog once it is gone, nor spoil the report.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

// With input 1 stuck off the loop logs a line about every other cycle, so
// it is writing the log when the program is asked to end.
constexpr char kOneStuckInput[] = "stuck-off=1";

// Starts a run and waits until the loop has logged something.
void runUntilLogged(ZorikSession& zorik) {
    ASSERT_TRUE(startLoopbackTest(zorik));
    std::vector<LogLine> lines;
    ASSERT_TRUE(logShowsLines(zorik.dialog(), 1, lines, Millis(8000)));
}

void printLeavingTime(const char* how, std::chrono::steady_clock::time_point asked) {
    std::printf("%s: the process ended %ld ms after the request\n", how,
                static_cast<long>(elapsedSince(asked).count()));
}

// Once a test has run, Esc and the close box ask the exit button's
// question: yes saves the report, no does not, and neither leaves the
// journal behind.
TEST(LeavingDuringTest, EscAndTheCloseBoxAskToSave) {
    for (const QuietExit& exit : kQuietExits) {
        for (const int answer : {IDYES, IDNO}) {
            SCOPED_TRACE(std::string(exit.name) + (answer == IDYES ? ", yes" : ", no"));
            ZorikSession zorik(kOneStuckInput);
            runUntilLogged(zorik);
            exit.leave(zorik.dialog());
            std::optional<MessageBoxWindow> question;
            ASSERT_TRUE(showsMessageBox(zorik, kDialogCaption, kSaveQuestion, question));
            ASSERT_TRUE(question->hasButton(IDYES) && question->hasButton(IDNO));
            const auto asked = std::chrono::steady_clock::now();
            ASSERT_TRUE(question->answer(answer, kReactionTimeout));
            EXPECT_TRUE(endsWithoutAsking(zorik));
            printLeavingTime(exit.name, asked);
            EXPECT_EQ(zorik.dir().exists(kReportName), answer == IDYES);
            if (answer == IDYES) {
                EXPECT_TRUE(parsedReport(zorik.dir().readFile(kReportName)));
            }
            EXPECT_FALSE(zorik.dir().exists(kJournalName));
        }
    }
}

TEST(LeavingDuringTest, ExitWithoutSavingEndsPromptly) {
    ZorikSession zorik(kOneStuckInput);
    runUntilLogged(zorik);
    std::optional<MessageBoxWindow> question;
    ASSERT_TRUE(asksToSave(zorik, question));
    const auto asked = std::chrono::steady_clock::now();
    ASSERT_TRUE(question->answer(IDNO, kReactionTimeout));
    EXPECT_TRUE(endsWithoutAsking(zorik));
    printLeavingTime("exit, no", asked);
    EXPECT_FALSE(zorik.dir().exists(kReportName));
    EXPECT_FALSE(zorik.dir().exists(kJournalName));
}

TEST(LeavingDuringTest, ExitWithSavingWritesAWholeReport) {
    ZorikSession zorik(kOneStuckInput);
    runUntilLogged(zorik);
    std::optional<MessageBoxWindow> question;
    ASSERT_TRUE(asksToSave(zorik, question));
    // An operator takes a moment to answer; the loop goes on meanwhile.
    std::vector<LogLine> lines;
    ASSERT_TRUE(logShowsLines(zorik.dialog(), 0, lines, Millis(0)));
    const size_t linesWhenAsked = lines.size();
    static_cast<void>(logShowsLines(zorik.dialog(), linesWhenAsked + 1, lines, Millis(1500)));

    const auto asked = std::chrono::steady_clock::now();
    ASSERT_TRUE(question->answer(IDYES, kReactionTimeout));
    ASSERT_TRUE(endsWithoutAsking(zorik));
    printLeavingTime("exit, yes", asked);

    const auto report = parsedReport(zorik.dir().readFile(kReportName));
    ASSERT_TRUE(report);
    std::string problem;
    const auto saved = parseLog(report->log, problem);
    ASSERT_TRUE(saved) << problem;
    ASSERT_GE(saved->size(), linesWhenAsked);
    for (const LogLine& line : *saved) {
        EXPECT_EQ(line.inputChannel, 1);
        EXPECT_EQ(line.outputChannel, 1);
        // Count and log come from one moment: no line from a later cycle.
        EXPECT_LE(line.count, report->count);
    }
    EXPECT_GE(report->count, 1u);
}

} // namespace
} // namespace zorik::e2e
