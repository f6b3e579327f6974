#include "message_box_watch.h"

#include <windows.h>

#include "message_box_finder.h"

namespace zorik::wine {
namespace {

using namespace zorik::tools;

// A window of another thread answers only while that thread pumps
// messages; never wait on it for long.
constexpr UINT SEND_TIMEOUT_MS = 2000;
constexpr DWORD POLL_MS = 20;
constexpr DWORD DISMISS_TIMEOUT_MS = 5000;
constexpr DWORD RETURN_GRACE_MS = 200;

struct CallJob {
    int(__stdcall* call)(int);
    int argument;
    int result;
};

DWORD WINAPI runJob(void* parameter)
{
    auto* job = static_cast<CallJob*>(parameter);
    job->result = job->call(job->argument);
    return 0;
}

SeenBox describe(HWND box)
{
    SeenBox seen;
    MessageBoxContent content = readMessageBox(box);
    seen.caption = std::move(content.caption);
    seen.text = std::move(content.text);
    seen.hasOwner = GetWindow(box, GW_OWNER) != nullptr;

    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string kind = className(child);
        const bool visible = IsWindowVisible(child) != FALSE;
        if (kind == "Button" && visible) {
            seen.visibleButtonIds.push_back(GetDlgCtrlID(child));
        } else if (kind == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            // The icon control exists in every box; it is empty when the
            // box was asked for no icon.
            DWORD_PTR icon = 0;
            SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &icon);
            seen.showsIcon = seen.showsIcon || (visible && icon != 0);
        }
    }
    return seen;
}

} // namespace

WatchedCall callDismissingBoxes(int(__stdcall* call)(int), int argument, unsigned timeoutMs)
{
    WatchedCall watched;
    // Left alive on purpose if the call never returns: its thread still
    // refers to it.
    auto* job = new CallJob{call, argument, 0};
    HANDLE thread = CreateThread(nullptr, 0, runJob, job, 0, nullptr);
    if (!thread) {
        delete job;
        return watched;
    }

    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (WaitForSingleObject(thread, POLL_MS) == WAIT_OBJECT_0) {
            watched.returned = true;
            break;
        }
        if (HWND box = findMessageBox(GetCurrentProcessId())) {
            SeenBox seen = describe(box);
            // Give a call that does not wait for its box time to return.
            seen.callWaitedForBox = WaitForSingleObject(thread, RETURN_GRACE_MS) == WAIT_TIMEOUT;
            watched.boxes.push_back(seen);
            if (!answerMessageBox(box, IDOK, DISMISS_TIMEOUT_MS)) {
                watched.boxStuck = true;
                break;
            }
        }
    }
    // A box left behind by a call that has already returned is a box too.
    if (watched.returned) {
        if (HWND box = findMessageBox(GetCurrentProcessId())) {
            watched.boxes.push_back(describe(box));
            watched.boxStuck = !answerMessageBox(box, IDOK, DISMISS_TIMEOUT_MS);
        }
        watched.result = job->result;
        delete job;
    }
    CloseHandle(thread);
    return watched;
}

} // namespace zorik::wine
