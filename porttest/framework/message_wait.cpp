#include "message_wait.h"

#include <windows.h>

void WaitHandlingSentMessages(const std::function<bool()>& done)
{
    constexpr DWORD kRecheckMs = 5;
    while (!done()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kRecheckMs, QS_SENDMESSAGE);
        // Peeking delivers every message sent to this thread; removing
        // nothing leaves the queue as it is. (Asking for sent messages only,
        // PM_QS_SENDMESSAGE, is a flag Windows 95 and NT 4.0 do not know.)
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
}
