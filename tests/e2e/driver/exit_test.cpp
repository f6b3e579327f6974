// Leaving the program: before any test Esc and the close box end it at once; the exit
// button (and Enter, its default) asks whether to save ErrorInfo.txt.
#include <gtest/gtest.h>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

// What a run without any test cycle saves.
constexpr char kReportOfIdleRun[] =
    "Count Data : 0000000000000000\r\r\n\r\r\nError Check  -  10ms\r\r\n\r\r\n";

TEST(LeavingWithoutSaving, EscAndTheCloseBoxEndAtOnce) {
    for (const QuietExit& exit : kQuietExits) {
        SCOPED_TRACE(exit.name);
        ZorikSession zorik;
        exit.leave(zorik.dialog());
        EXPECT_TRUE(endsWithoutAsking(zorik));
        EXPECT_FALSE(zorik.dir().exists(kReportName));
        EXPECT_FALSE(zorik.dir().exists(kJournalName)) << "a journal without a test";
    }
}

// Saved in an empty folder, and over an earlier, longer report.
TEST(ExitButton, YesSavesTheReportOverAnyEarlierOne) {
    for (bool earlierReport : {false, true}) {
        SCOPED_TRACE(earlierReport ? "over an earlier report" : "no earlier report");
        WorkDir dir;
        if (earlierReport)
            dir.writeFile(kReportName, std::string(4096, 'x') + "\r\n");
        ZorikSession zorik(dir, "");
        const auto report = saveAndLeave(zorik);
        ASSERT_TRUE(report) << "no " << kReportName;
        EXPECT_EQ(escapedBytes(*report), escapedBytes(kReportOfIdleRun));
    }
}

TEST(ExitButton, NoLeavesAnExistingReportUntouched) {
    WorkDir dir;
    const std::string earlier = "an earlier run's report\r\n";
    dir.writeFile(kReportName, earlier);
    ZorikSession zorik(dir, "");
    std::optional<MessageBoxWindow> question;
    ASSERT_TRUE(asksToSave(zorik, question));
    ASSERT_TRUE(question->answer(IDNO, kReactionTimeout));
    ASSERT_TRUE(endsWithoutAsking(zorik));
    EXPECT_EQ(dir.readFile(kReportName).value_or("(no file)"), earlier);
}

TEST(ExitButton, EnterAsksLikeTheExitButton) {
    ZorikSession zorik;
    zorik.dialog().pressKey(VK_RETURN);
    std::optional<MessageBoxWindow> question;
    ASSERT_TRUE(showsMessageBox(zorik, kDialogCaption, kSaveQuestion, question));
    ASSERT_TRUE(question->answer(IDNO, kReactionTimeout));
    ASSERT_TRUE(endsWithoutAsking(zorik));
    EXPECT_FALSE(zorik.dir().exists(kReportName));
}

TEST(ExitButton, ReportThatCannotBeCreatedIsReportedAndTheProgramEnds) {
    WorkDir dir;
    dir.makeDirectory(kReportName); // no file can be opened under this name
    ZorikSession zorik(dir, "");
    std::optional<MessageBoxWindow> question;
    ASSERT_TRUE(asksToSave(zorik, question));
    ASSERT_TRUE(question->answer(IDYES, kReactionTimeout));

    std::optional<MessageBoxWindow> failure;
    ASSERT_TRUE(showsMessageBox(zorik, kDialogCaption, kSaveFailed, failure));
    EXPECT_TRUE(failure->hasButton(IDOK));
    EXPECT_FALSE(failure->hasButton(IDCANCEL));
    ASSERT_TRUE(failure->answer(IDOK, kReactionTimeout));
    EXPECT_TRUE(endsWithoutAsking(zorik));
    EXPECT_TRUE(dir.isDirectory(kReportName));
}

} // namespace
} // namespace zorik::e2e
