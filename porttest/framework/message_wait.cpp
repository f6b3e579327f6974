#include "message_wait.h"

#include <windows.h>

void WaitHandlingSentMessages(const std::function<bool()>& done)
{
    constexpr DWORD kRecheckMs = 5;
    while (!done()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kRecheckMs, QS_SENDMESSAGE);
        // Peeking delivers every message sent to this thread; asking for
        // sent messages only and removing nothing leaves the queue as it is.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
