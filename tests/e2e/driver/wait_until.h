// Every wait in these tests is bounded and driven by what is observed: a
// condition is polled until it holds or its time is up, never slept on.
#pragma once

#include <windows.h>

#include <chrono>

namespace zorik::e2e {

using Millis = std::chrono::milliseconds;

// Waits up to `interval` while answering whatever the system or Zorik sends
// to this thread meanwhile: Wine's focus and activation changes may send
// messages across processes, and a test thread that only slept would hold
// Zorik's UI thread up until its next call.
inline void pauseAnsweringMessages(Millis interval) {
    const auto until = std::chrono::steady_clock::now() + interval;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const auto left = std::chrono::duration_cast<Millis>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    }
}

// Polls `ready` every `interval` until it returns true or `timeout` has
// passed; returns its last answer.
template <class Condition>
bool waitUntil(Condition ready, Millis timeout, Millis interval = Millis(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (ready())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return ready();
        pauseAnsweringMessages(interval);
    }
}

// Time since `start`, for the figures the tests print.
inline Millis elapsedSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
}

} // namespace zorik::e2e
