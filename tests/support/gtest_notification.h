// GoogleTest's Notification is built on std::mutex and
// std::condition_variable, which the target's C++ runtime (win32 thread
// model, no thread library) does not have. This one takes its place there;
// GoogleTest only uses it to start threads of its own.
#pragma once

#include <atomic>
#include <thread>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_ = true; }
    void WaitForNotification()
    {
        while (!notified_)
            std::this_thread::yield();
    }

private:
    std::atomic<bool> notified_{false};
};

} // namespace testing::internal
