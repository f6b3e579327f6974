// Threads for tests that run on the host and, under Wine, on the target.
// The target's C++ runtime is built without a thread library (so that the
// shipped images carry none), which leaves it without std::thread: there a
// TestThread is a _beginthreadex thread. Locks are zorik::Lock, which
// std::lock_guard and std::unique_lock take as they are.
#pragma once

#include "lock.h"

#include <functional>
#include <utility>

#ifdef _WIN32
#include <process.h>
#else
#include <atomic>
#include <thread>
#endif

namespace zorik::test {

class TestThread {
public:
    TestThread() = default;
    explicit TestThread(std::function<void()> body) { start(std::move(body)); }
    TestThread(TestThread&& other) noexcept { *this = std::move(other); }
    TestThread& operator=(TestThread&& other) noexcept
    {
        join();
#ifdef _WIN32
        m_handle = std::exchange(other.m_handle, nullptr);
#else
        m_thread = std::move(other.m_thread);
#endif
        return *this;
    }
    // Joins: a test that fails half-way must not leave a thread running
    // on its stack.
    ~TestThread() { join(); }

    void join()
    {
#ifdef _WIN32
        if (m_handle) {
            WaitForSingleObject(m_handle, INFINITE);
            CloseHandle(m_handle);
            m_handle = nullptr;
        }
#else
        if (m_thread.joinable())
            m_thread.join();
#endif
    }

private:
#ifdef _WIN32
    void start(std::function<void()> body)
    {
        auto* owned = new std::function<void()>(std::move(body));
        const uintptr_t handle = _beginthreadex(nullptr, 0, &TestThread::run, owned, 0, nullptr);
        if (handle == 0) {
            delete owned;
            return;
        }
        m_handle = reinterpret_cast<HANDLE>(handle);
    }
    static unsigned __stdcall run(void* raw)
    {
        auto* body = static_cast<std::function<void()>*>(raw);
        (*body)();
        delete body;
        return 0;
    }
    HANDLE m_handle = nullptr;
#else
    void start(std::function<void()> body) { m_thread = std::thread(std::move(body)); }
    std::thread m_thread;
#endif
};

// A number that tells the calling thread from every other live thread.
inline unsigned long currentThreadNumber()
{
#ifdef _WIN32
    return GetCurrentThreadId();
#else
    static std::atomic<unsigned long> next{1};
    thread_local const unsigned long mine = next++;
    return mine;
#endif
}

} // namespace zorik::test
