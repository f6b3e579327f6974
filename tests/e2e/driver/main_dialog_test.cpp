// The main window as the operator finds it, and its manual switches, with a
// healthy simulated unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

TEST(MainDialog, OpensWithFreshLogAndEverythingOff) {
    ASSERT_EQ(GetACP(), 949u) << "the tests need Wine's Korean setting (LANG=ko_KR.UTF-8)";
    ZorikSession zorik;
    const MainDialog& dialog = zorik.dialog();

    EXPECT_EQ(dialog.caption(), kDialogCaption);
    EXPECT_TRUE(showsText(dialog, kLogBox, kFreshLog));
    EXPECT_TRUE(showsText(dialog, kTestButton, cp949(kTestIdleCaption), Millis(0)));
    EXPECT_TRUE(showsText(dialog, kExitButton, cp949(kExitCaption), Millis(0)));
    std::uint64_t summaryCycles = 1;
    EXPECT_TRUE(showsSummary(dialog, kVerdictWaiting, {}, summaryCycles));
    EXPECT_EQ(summaryCycles, 0u);
    // Nothing is written before the operator asks, and the unit's inputs
    // follow its outputs, which start off.
    for (int c = 0; c < 3; ++c) {
        EXPECT_TRUE(showsCheck(dialog, outputId(c), 0, Millis(0))) << "output " << c;
        EXPECT_TRUE(showsCheck(dialog, inputId(c), 0)) << "input " << c;
    }
    EXPECT_FALSE(MessageBoxWindow::isShown(zorik.processId()));
}

TEST(MainDialog, InputIndicatorIgnoresClicks) {
    ZorikSession zorik;
    const MainDialog& dialog = zorik.dialog();
    for (int c = 0; c < 3; ++c)
        ASSERT_TRUE(showsCheck(dialog, inputId(c), 0)) << "input " << c;

    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(dialog.style(inputId(c)) & BS_TYPEMASK, BS_CHECKBOX)
            << "input " << c << " must not toggle itself on a click";
        dialog.mouseClick(inputId(c));
    }
    // A wrong toggle would show until the next poll, a wrong write for as
    // long as it lasts: watch for three poll periods.
    int changed = -1;
    waitUntil(
        [&] {
            for (int c = 0; c < 3; ++c) {
                if (dialog.checkState(inputId(c)) != 0)
                    changed = inputId(c);
                if (dialog.checkState(outputId(c)) != 0)
                    changed = outputId(c);
            }
            return changed >= 0;
        },
        Millis(300), Millis(2));
    EXPECT_EQ(changed, -1) << "button " << changed << " changed after clicks on the inputs";
}

// The library drives every output channel from its latch, so the first
// write also drives the channels nobody touched; only the switched channel
// is compared here, and every channel ends switched off.
TEST(MainDialog, InputFollowsItsOutputSwitch) {
    ZorikSession zorik;
    const MainDialog& dialog = zorik.dialog();

    std::vector<long> followMs;
    for (int c = 0; c < 3; ++c) {
        for (int state : {1, 0}) {
            dialog.mouseClick(outputId(c));
            ASSERT_TRUE(showsCheck(dialog, outputId(c), state)) << "output " << c;
            const auto switched = std::chrono::steady_clock::now();
            // A poll period is 100 ms; the bound leaves room for a busy
            // machine, the figures below show the real delay.
            ASSERT_TRUE(showsCheck(dialog, inputId(c), state, Millis(1000))) << "input " << c;
            followMs.push_back(static_cast<long>(elapsedSince(switched).count()));
        }
    }
    for (int c = 0; c < 3; ++c)
        EXPECT_TRUE(showsCheck(dialog, inputId(c), 0)) << "input " << c;

    std::sort(followMs.begin(), followMs.end());
    std::printf("input follows its output after %ld ms (median), %ld ms (max) of %zu switches\n",
                followMs[followMs.size() / 2], followMs.back(), followMs.size());
}

// The simulated unit can leave out the giveio device, as on a Windows NT
// machine without the driver: the operator is told twice, then works on.
TEST(StartUp, MissingGiveioIsReportedAndTheDialogStillOpens) {
    ZorikSession zorik("no-giveio");
    std::optional<MessageBoxWindow> box;
    ASSERT_TRUE(showsMessageBox(zorik, kLibraryFatalCaption, kGiveioMissing, box, kStartTimeout));
    EXPECT_FALSE(MainDialog::waitFor(zorik.processId(), Millis(0)))
        << "the dialog shows before the library's message is dismissed";
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));
    ASSERT_TRUE(showsMessageBox(zorik, kDialogCaption, kCannotFindPort, box));
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));

    const MainDialog& dialog = zorik.dialog();
    EXPECT_TRUE(showsText(dialog, kLogBox, kFreshLog, Millis(0)));
    dialog.mouseClick(outputId(0));
    ASSERT_TRUE(showsCheck(dialog, outputId(0), 1));
    EXPECT_TRUE(showsCheck(dialog, inputId(0), 1, Millis(1000))) << "polling stopped";
    dialog.pressCloseBox();
    EXPECT_TRUE(endsWithoutAsking(zorik));
}

} // namespace
} // namespace zorik::e2e
