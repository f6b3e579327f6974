// A thousand Test presses in quick succession, with random gaps: the last
// press decides, at most one loop ever runs, and the poll timer is on
// exactly when no test runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "cp949_text.h"
#include "expectations.h"
#include "indicator_watch.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

// A caption that has held this long outlasted any loop's last cycle.
constexpr Millis kSettledFor(1000);
constexpr Millis kSettleTimeout(15000);
// Long enough for ten cycles of one loop.
constexpr Millis kWatchWindow(3300);

// Presses Test `presses` times, each after a random pause of 0 to 20 ms.
void pressTestRapidly(const MainDialog& dialog, int presses, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pause(0, 20);
    for (int press = 0; press < presses; ++press) {
        dialog.click(kTestButton);
        const int ms = pause(random);
        if (ms > 0)
            std::this_thread::sleep_for(Millis(ms));
    }
}

// Polling is on: a switch drives its input, on a healthy unit, within a
// few poll periods, both ways.
void expectPollingFollowsSwitches(const MainDialog& dialog) {
    for (int c = 0; c < 3; ++c) {
        for (int round = 0; round < 2; ++round) {
            const int wanted = dialog.checkState(outputId(c)) == 1 ? 0 : 1;
            dialog.click(outputId(c));
            ASSERT_TRUE(showsCheck(dialog, outputId(c), wanted)) << "output " << c;
            EXPECT_TRUE(showsCheck(dialog, inputId(c), wanted, Millis(1000)))
                << "input " << c << " does not follow its switch: polling is off";
        }
    }
}

void expectAtMostOneLoopSince(ZorikSession& zorik, std::chrono::steady_clock::time_point since) {
    std::optional<MessageBoxWindow> question;
    ASSERT_TRUE(asksToSave(zorik, question));
    ASSERT_TRUE(question->answer(IDYES, kReactionTimeout));
    ASSERT_TRUE(endsWithoutAsking(zorik));
    const long ranMs = static_cast<long>(elapsedSince(since).count());
    const auto report = parsedReport(zorik.dir().readFile(kReportName));
    ASSERT_TRUE(report);
    // A new loop may begin while an old one finishes its last cycle at
    // most once per press; one loop at a time allows one cycle in 330 ms.
    EXPECT_TRUE(cycleCountFits(report->count, ranMs, 2));
    EXPECT_EQ(escapedBytes(report->log), escapedBytes(kFreshLog));
    std::printf("%llu cycles in %ld ms\n", static_cast<unsigned long long>(report->count), ranMs);
}

TEST(RapidPresses, EvenCountEndsIdleWithPollingBack) {
    ZorikSession zorik;
    const MainDialog& dialog = zorik.dialog();
    const auto started = std::chrono::steady_clock::now();
    pressTestRapidly(dialog, 1000, 1000);
    std::printf("1000 presses in %ld ms\n", static_cast<long>(elapsedSince(started).count()));
    ASSERT_TRUE(settlesOnText(dialog, kTestButton, cp949(kTestIdleCaption), kSettledFor,
                              kSettleTimeout));

    const IndicatorChanges changes = watchOutputIndicators(dialog, Millis(1500));
    EXPECT_EQ(changes.total(), 0) << "a loop still drives the outputs after the last stop";
    ASSERT_NO_FATAL_FAILURE(expectPollingFollowsSwitches(dialog));
    expectAtMostOneLoopSince(zorik, started);
}

TEST(RapidPresses, OddCountEndsRunningWithOneLoop) {
    ZorikSession zorik;
    const MainDialog& dialog = zorik.dialog();
    const auto started = std::chrono::steady_clock::now();
    pressTestRapidly(dialog, 999, 999);
    std::printf("999 presses in %ld ms\n", static_cast<long>(elapsedSince(started).count()));
    ASSERT_TRUE(settlesOnText(dialog, kTestButton, cp949(kTestRunningCaption), kSettledFor,
                              kSettleTimeout));

    const IndicatorChanges changes = watchOutputIndicators(dialog, kWatchWindow);
    std::printf("output changes in %ld ms: %d/%d/%d\n", static_cast<long>(kWatchWindow.count()),
                changes.perChannel[0], changes.perChannel[1], changes.perChannel[2]);
    EXPECT_GT(changes.total(), 0) << "no loop drives the outputs";
    EXPECT_LE(changes.most(), kWatchWindow.count() / kShortestCycleMs + 1)
        << "an output changed more often than one loop drives it";

    // The loop stops on one more press, and polling comes back.
    ASSERT_TRUE(stopLoopbackTest(zorik));
    ASSERT_NO_FATAL_FAILURE(expectPollingFollowsSwitches(dialog));
    expectAtMostOneLoopSince(zorik, started);
}

} // namespace
} // namespace zorik::e2e
