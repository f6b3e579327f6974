// The journal of a running test: what a killed program leaves, its
// recovery, and a journal that cannot be written.
#include <gtest/gtest.h>

#include "cp949_text.h"
#include "expectations.h"
#include "journal_checks.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

TEST(Journal, KilledDuringATestLeavesItsLinesAndTheNextStartRecoversThem) {
    for (const int after : {150, 800, 1700, 2900}) {
        SCOPED_TRACE(after);
        EXPECT_TRUE(journalSurvivesKill(Millis(after), "absent"));
    }
}

TEST(Journal, OneThatCannotBeWrittenIsToldOnceAndTheTestGoesOn) {
    WorkDir dir;
    dir.makeDirectory(kJournalName);
    ZorikSession zorik(dir, "absent");
    ASSERT_TRUE(startLoopbackTest(zorik));
    std::optional<MessageBoxWindow> box;
    ASSERT_TRUE(showsMessageBox(zorik, kDialogCaption,
                                std::string(kJournalFailedBefore) + kJournalName + kJournalFailedMiddle +
                                    windowsReason(ERROR_ACCESS_DENIED) + kJournalFailedAfter,
                                box));
    std::vector<LogLine> lines;
    EXPECT_TRUE(logShowsLines(zorik.dialog(), 3, lines, Millis(5000))) << "the test waits for the operator";
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));
    ASSERT_TRUE(stopLoopbackTest(zorik));
    ASSERT_TRUE(startLoopbackTest(zorik));
    EXPECT_FALSE(MessageBoxWindow::waitFor(zorik.processId(), Millis(1000))) << "told twice";
    const auto report = parsedReport(saveAndLeave(zorik));
    ASSERT_TRUE(report);
    std::string problem;
    const auto saved = parseLog(report->log, problem);
    ASSERT_TRUE(saved) << problem;
    EXPECT_GE(saved->size(), lines.size());
    EXPECT_TRUE(dir.isDirectory(kJournalName));
}

// A power cut left the journal at its new length, zeros where its last
// lines were to be: the next start cuts them, says so, and keeps the rest.
TEST(Journal, ATornEndIsCutAtTheNextStart) {
    WorkDir dir;
    const std::string kept = "Count Data : 0000000000000002\r\r\n\r\r\nError Check  -  10ms\r\r\n\r\r\n"
                             " 0000000000000002 : line\r\r\n";
    dir.writeFile(kJournalName, kept + std::string(5000, '\0'));
    const std::string recovered = recoveredNameOf(dir, kJournalName);
    ZorikSession zorik(dir, "absent");
    std::optional<MessageBoxWindow> box;
    ASSERT_TRUE(showsMessageBox(zorik, kDialogCaption,
                                std::string(kRecoveredIntro) + "\r\n" + recovered + "\r\n\r\n" + recovered +
                                    kTornEndCutBefore + "5000" + kTornEndCutAfter,
                                box, kStartTimeout));
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));
    zorik.dialog();
    EXPECT_FALSE(dir.exists(kJournalName));
    EXPECT_EQ(dir.readFile(recovered), kept);
    zorik.dialog().pressKey(VK_ESCAPE);
    EXPECT_TRUE(endsWithoutAsking(zorik));
}

// A second Zorik in the folder neither recovers nor writes the first one's
// journal; each removes only its own.
TEST(Journal, TwoProgramsInOneFolderKeepToTheirOwn) {
    WorkDir dir;
    ZorikSession first(dir, "absent");
    ASSERT_TRUE(startLoopbackTest(first));
    ASSERT_TRUE(waitUntil([&] { return dir.exists(kJournalName); }, kReactionTimeout));
    ZorikSession second(dir, "absent");
    ASSERT_TRUE(startLoopbackTest(second)) << "the second start asked something";
    ASSERT_TRUE(waitUntil([&] { return dir.exists("ErrorInfo.unsaved-2.txt"); }, kReactionTimeout));

    second.dialog().pressKey(VK_ESCAPE);
    std::optional<MessageBoxWindow> question;
    ASSERT_TRUE(showsMessageBox(second, kDialogCaption, kSaveQuestion, question));
    ASSERT_TRUE(question->answer(IDNO, kReactionTimeout));
    ASSERT_TRUE(endsWithoutAsking(second));
    EXPECT_FALSE(dir.exists("ErrorInfo.unsaved-2.txt"));
    ASSERT_TRUE(dir.exists(kJournalName));

    EXPECT_TRUE(parsedReport(saveAndLeave(first)));
    EXPECT_FALSE(dir.exists(kJournalName));
}

} // namespace
} // namespace zorik::e2e
