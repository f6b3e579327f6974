// Output switches clicked while the loop drives the same outputs: both
// write the output latch, and neither may lose the other's bits. Once the
// loop has stopped, each output is what its switch shows, whichever click
// came between the loop showing a level on a switch and writing it, so on
// a healthy unit every input follows its switch again.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

// Once the loop has stopped nothing but the poll changes an input
// indicator, so an input that disagrees with its switch for this long
// disagrees for good; the bound only has to outlast a poll (100 ms) on a
// loaded machine.
constexpr Millis kPollBound(kReactionTimeout);

// Clicks random switches at random moments, 0 to 60 ms apart, for
// `duration`; returns the number of clicks.
int clickSwitchesAtRandom(const MainDialog& dialog, Millis duration, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> channel(0, 2), pause(0, 60);
    int clicks = 0;
    const auto started = std::chrono::steady_clock::now();
    while (elapsedSince(started) < duration) {
        dialog.click(outputId(channel(random)));
        ++clicks;
        std::this_thread::sleep_for(Millis(pause(random)));
    }
    return clicks;
}

::testing::AssertionResult inputsFollowSwitches(const MainDialog& dialog) {
    for (int c = 0; c < 3; ++c) {
        const int output = dialog.checkState(outputId(c));
        if (auto ok = showsCheck(dialog, inputId(c), output, kPollBound); !ok)
            return ok << " (input " << c << " against its switch at " << output << ")";
    }
    return ::testing::AssertionSuccess();
}

TEST(SwitchesDuringTest, NoOutputBitIsLost) {
    for (unsigned round = 1; round <= 5; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ZorikSession zorik;
        const MainDialog& dialog = zorik.dialog();
        ASSERT_TRUE(startLoopbackTest(zorik));
        const int clicks = clickSwitchesAtRandom(dialog, Millis(4000), round);
        ASSERT_TRUE(stopLoopbackTest(zorik));
        // Clicks still queued when the stop was pressed have been handled
        // by the time the caption came back.
        EXPECT_TRUE(inputsFollowSwitches(dialog)) << "after the run";

        // Every output can still be driven both ways from its switch.
        for (int c = 0; c < 3; ++c) {
            for (int turn = 0; turn < 2; ++turn) {
                const int wanted = 1 - dialog.checkState(outputId(c));
                dialog.click(outputId(c));
                ASSERT_TRUE(showsCheck(dialog, outputId(c), wanted)) << "output " << c;
                EXPECT_TRUE(showsCheck(dialog, inputId(c), wanted, kPollBound)) << "input " << c;
            }
        }

        std::vector<LogLine> lines;
        ASSERT_TRUE(logShowsLines(dialog, 0, lines, Millis(0)));
        std::printf("round %u: %d clicks during the run, %zu lines logged\n", round, clicks,
                    lines.size());
        dialog.pressKey(VK_ESCAPE);
        std::optional<MessageBoxWindow> question;
        ASSERT_TRUE(showsMessageBox(zorik, kDialogCaption, kSaveQuestion, question));
        ASSERT_TRUE(question->answer(IDNO, kReactionTimeout));
        EXPECT_TRUE(endsWithoutAsking(zorik));
    }
}

} // namespace
} // namespace zorik::e2e
