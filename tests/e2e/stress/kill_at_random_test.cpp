// The kill table, longer: Zorik killed at moments spread over the first
// seven seconds of a test, three at a time; every journal it leaves holds
// the log up to some cycle, and the next start recovers it.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "journal_checks.h"
#include "test_thread.h"

namespace zorik::e2e {
namespace {

TEST(KillsAtRandomMoments, JournalsSurviveAndAreRecovered) {
    SetEnvironmentVariableA("ZORIK_SIM", "absent"); // see exit_at_random_test.cpp
    std::mt19937 random(16);
    std::uniform_int_distribution<int> moment(100, 7000);
    std::vector<int> moments(24);
    for (int& ms : moments)
        ms = moment(random);
    std::atomic<size_t> next{0};
    zorik::Lock lock;
    std::vector<std::string> failures;
    auto worker = [&] {
        for (size_t i; (i = next++) < moments.size();) {
            const auto survived = journalSurvivesKill(Millis(moments[i]), "absent");
            std::lock_guard<zorik::Lock> hold(lock);
            if (!survived)
                failures.push_back("killed at " + std::to_string(moments[i]) + " ms: " + survived.message());
        }
    };
    std::vector<zorik::test::TestThread> runners;
    for (int i = 0; i < 3; ++i)
        runners.emplace_back(worker);
    for (zorik::test::TestThread& runner : runners)
        runner.join();
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
}

} // namespace
} // namespace zorik::e2e
