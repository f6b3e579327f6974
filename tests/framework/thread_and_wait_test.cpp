// Starting a worker, and waiting on the UI thread for a worker that sends
// messages to this thread's windows.
#include "framework/message_wait.h"
#include "framework/tick_clock.h"
#include "framework/worker_thread.h"
#include "test_thread.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

namespace {

struct ThreadProbe {
    HANDLE done;
    DWORD threadId = 0;
    void* parameterSeen = nullptr;
};

UINT RecordThread(LPVOID parameter)
{
    auto* probe = static_cast<ThreadProbe*>(parameter);
    probe->threadId = ::GetCurrentThreadId();
    probe->parameterSeen = parameter;
    ::SetEvent(probe->done);
    return 0;
}

TEST(WorkerThread, RunsTheProcedureWithItsParameterOnAnotherThread)
{
    ThreadProbe probe{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    ASSERT_TRUE(AfxBeginThread(&RecordThread, &probe));
    ASSERT_EQ(::WaitForSingleObject(probe.done, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(probe.parameterSeen, &probe);
    EXPECT_NE(probe.threadId, ::GetCurrentThreadId());
    ::CloseHandle(probe.done);
}

// The worker's counter readings all come from one processor's counter: the
// thread may run on exactly one processor, one the process may use.
TEST(TickClock, KeepsTheThreadOnOneProcessor)
{
    DWORD_PTR allowed = 0, system = 0;
    ASSERT_TRUE(::GetProcessAffinityMask(::GetCurrentProcess(), &allowed, &system));
    DWORD_PTR pinned = 0;
    zorik::test::TestThread worker([&] {
        if (TickClockKeepThreadOnOneProcessor())
            pinned = ::SetThreadAffinityMask(::GetCurrentThread(), allowed); // returns the mask it replaces
    });
    worker.join();
    EXPECT_NE(pinned, 0u);
    EXPECT_EQ(pinned & (pinned - 1), 0u) << "more than one processor: " << pinned;
    EXPECT_EQ(pinned & ~allowed, 0u);
}

TEST(WaitHandlingSentMessages, ServesAWorkerThatSendsToThisThreadsWindow)
{
    HWND label = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(label, nullptr);
    // A posted message already queued must still be there afterwards.
    ::PostMessageA(label, WM_NULL, 42, 0);

    std::atomic<bool> finished{false};
    zorik::test::TestThread worker([&] {
        // Every call blocks until this thread has handled it.
        for (int i = 0; i < 50; ++i)
            ::SendMessageA(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(i % 2 ? "odd" : "even"));
        finished = true;
    });

    const DWORD start = ::GetTickCount();
    WaitHandlingSentMessages([&] { return finished.load(); });
    const DWORD waited = ::GetTickCount() - start;
    worker.join();

    char text[16] = {};
    ::GetWindowTextA(label, text, sizeof text);
    EXPECT_STREQ(text, "odd");
    EXPECT_LT(waited, 10000u);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, label, WM_NULL, WM_NULL, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 42u);
    ::DestroyWindow(label);
}

TEST(WaitHandlingSentMessages, ReturnsAtOnceWhenAlreadyDone)
{
    int checks = 0;
    WaitHandlingSentMessages([&] { ++checks; return true; });
    EXPECT_EQ(checks, 1);
}

} // namespace
