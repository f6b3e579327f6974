// Leaving at random moments of a running test, a hundred times over, each
// with a fresh program and each way there is to leave: the program always
// ends at once with exit code 0, and every report it saves is whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cp949_text.h"
#include "disagreement_checks.h"
#include "expectations.h"
#include "log_text.h"
#include "test_thread.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

// Each asks whether to save once a test has run.
enum class Leave { ExitButton, Esc, CloseBox };

struct Exit {
    Leave how;
    bool save;    // the answer to the save question
    Millis after; // from the running caption to the request
};

std::string nameOf(const Exit& exit) {
    const char* how = exit.how == Leave::ExitButton ? "exit" : exit.how == Leave::Esc ? "Esc" : "close box";
    return std::string(how) + (exit.save ? ", yes" : ", no");
}

// Every line of a run on an absent unit is a disagreement of a channel
// driven on, so the log grows fast and the exit often meets a line being
// written.
constexpr char kBusyLog[] = "absent";
// Runs at once: the program mostly sleeps, so a few share two cores.
constexpr int kParallelRuns = 3;

// The exits of one batch: each way and answer about equally often, in random order, at
// random moments up to two seconds (six cycles) into the run.
std::vector<Exit> planExits(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Exit> exits;
    for (int i = 0; i < count; ++i)
        exits.push_back({static_cast<Leave>(i % 3), i / 3 % 2 == 0, Millis(0)});
    std::shuffle(exits.begin(), exits.end(), random);
    // From 100 ms on: a quiet exit before the first cycle has begun rightly asks nothing.
    std::uniform_int_distribution<int> moment(100, 2000);
    for (Exit& exit : exits)
        exit.after = Millis(moment(random));
    return exits;
}

::testing::AssertionResult wholeReport(const std::string& file) {
    std::string problem;
    const auto report = parseReport(file, problem);
    if (!report)
        return ::testing::AssertionFailure() << problem;
    const auto lines = parseLog(report->log, problem);
    if (!lines)
        return ::testing::AssertionFailure() << problem;
    // Counts never above the header's: the header counts every cycle
    // begun, and each line belongs to a cycle begun.
    return linesInCycleOrder(*lines, report->count);
}

// One program run from start to exit; an empty text means it went well.
// `savedLines` receives the number of lines of a saved report.
std::string runAndLeave(const Exit& exit, size_t& savedLines) {
    try {
        ZorikSession zorik(kBusyLog);
        const MainDialog& dialog = zorik.dialog();
        dialog.click(kTestButton);
        if (auto ok = showsText(dialog, kTestButton, cp949(kTestRunningCaption)); !ok)
            return ok.message();
        std::this_thread::sleep_for(exit.after);

        switch (exit.how) {
        case Leave::ExitButton:
            dialog.click(kExitButton);
            break;
        case Leave::Esc:
            dialog.pressKey(VK_ESCAPE);
            break;
        case Leave::CloseBox:
            dialog.pressCloseBox();
            break;
        }
        std::optional<MessageBoxWindow> question;
        if (auto ok = showsMessageBox(zorik, kDialogCaption, kSaveQuestion, question); !ok)
            return ok.message();
        if (!question->answer(exit.save ? IDYES : IDNO, kReactionTimeout))
            return "the save question stays after being answered";
        if (auto ok = endsWithoutAsking(zorik); !ok)
            return ok.message();

        if (zorik.dir().exists(kJournalName))
            return std::string("the journal was left behind");
        const auto file = zorik.dir().readFile(kReportName);
        if (!exit.save)
            return file ? std::string("a report was written") : std::string();
        if (!file)
            return std::string("no ") + kReportName;
        if (auto ok = wholeReport(*file); !ok)
            return std::string(ok.message()) + "\nreport: " + escapedBytes(*file);
        std::string problem;
        savedLines = parseLog(parseReport(*file, problem)->log, problem)->size();
        return {};
    } catch (const std::exception& error) {
        return error.what();
    }
}

void runExits(int count, unsigned seed) {
    // Each launch sets ZORIK_SIM for its child and restores it afterwards;
    // with the same value already set, launches on other threads meanwhile
    // cannot see it missing.
    SetEnvironmentVariableA("ZORIK_SIM", kBusyLog);
    const std::vector<Exit> exits = planExits(count, seed);
    std::atomic<size_t> next{0};
    zorik::Lock lock;
    std::vector<std::string> failures;
    long slowestMs = 0;
    size_t reports = 0, mostLines = 0;
    const auto started = std::chrono::steady_clock::now();

    auto worker = [&] {
        for (size_t i; (i = next++) < exits.size();) {
            const auto begun = std::chrono::steady_clock::now();
            size_t savedLines = 0;
            const std::string problem = runAndLeave(exits[i], savedLines);
            const long ms = static_cast<long>(elapsedSince(begun).count());
            std::lock_guard<zorik::Lock> hold(lock);
            slowestMs = std::max(slowestMs, ms);
            if (exits[i].save && problem.empty()) {
                ++reports;
                mostLines = std::max(mostLines, savedLines);
            }
            if (!problem.empty())
                failures.push_back("run " + std::to_string(i) + " (" + nameOf(exits[i]) +
                                   " after " + std::to_string(exits[i].after.count()) +
                                   " ms): " + problem);
        }
    };
    std::vector<zorik::test::TestThread> runners;
    for (int i = 0; i < kParallelRuns; ++i)
        runners.emplace_back(worker);
    for (zorik::test::TestThread& runner : runners)
        runner.join();

    std::printf("%d exits in %ld ms, slowest run %ld ms; %zu reports checked, up to %zu lines\n",
                count, static_cast<long>(elapsedSince(started).count()), slowestMs, reports,
                mostLines);
    EXPECT_TRUE(failures.empty()) << failures.size() << " of " << count << " runs failed";
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
}

TEST(ExitsAtRandomMoments, FirstFifty) {
    runExits(50, 1);
}

TEST(ExitsAtRandomMoments, SecondFifty) {
    runExits(50, 2);
}

} // namespace
} // namespace zorik::e2e
