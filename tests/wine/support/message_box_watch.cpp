#include "message_box_watch.h"

#include <windows.h>

#include <cstring>

namespace zorik::wine {
namespace {

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

std::string className(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string windowText(HWND window)
{
    char text[512] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &copied))
        return {};
    return text;
}

BOOL CALLBACK collectOwnDialog(HWND window, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && className(window) == "#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Message boxes are dialogs of the system's dialog class.
HWND findVisibleBoxOfThisProcess()
{
    HWND found = nullptr;
    EnumWindows(collectOwnDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK collectChild(HWND child, LPARAM children)
{
    reinterpret_cast<std::vector<HWND>*>(children)->push_back(child);
    return TRUE;
}

SeenBox describe(HWND box)
{
    SeenBox seen;
    seen.caption = windowText(box);
    seen.hasOwner = GetWindow(box, GW_OWNER) != nullptr;

    std::vector<HWND> children;
    EnumChildWindows(box, collectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        const std::string kind = className(child);
        const bool visible = IsWindowVisible(child) != FALSE;
        if (kind == "Button" && visible) {
            seen.visibleButtonIds.push_back(GetDlgCtrlID(child));
        } else if (kind == "Static") {
            const LONG style = GetWindowLongA(child, GWL_STYLE);
            if ((style & SS_TYPEMASK) == SS_ICON) {
                // The icon control exists in every box; it is empty when
                // the box was asked for no icon.
                DWORD_PTR icon = 0;
                SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &icon);
                seen.showsIcon = seen.showsIcon || (visible && icon != 0);
            } else {
                seen.text += windowText(child);
            }
        }
    }
    return seen;
}

bool pressOk(HWND box)
{
    HWND ok = GetDlgItem(box, IDOK);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    const DWORD start = GetTickCount();
    while (IsWindow(box)) {
        if (GetTickCount() - start > DISMISS_TIMEOUT_MS)
            return false;
        Sleep(POLL_MS);
    }
    return true;
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
        if (HWND box = findVisibleBoxOfThisProcess()) {
            SeenBox seen = describe(box);
            // Give a call that does not wait for its box time to return.
            seen.callWaitedForBox = WaitForSingleObject(thread, RETURN_GRACE_MS) == WAIT_TIMEOUT;
            watched.boxes.push_back(seen);
            if (!pressOk(box)) {
                watched.boxStuck = true;
                break;
            }
        }
    }
    // A box left behind by a call that has already returned is a box too.
    if (watched.returned) {
        if (HWND box = findVisibleBoxOfThisProcess()) {
            watched.boxes.push_back(describe(box));
            watched.boxStuck = !pressOk(box);
        }
        watched.result = job->result;
        delete job;
    }
    CloseHandle(thread);
    return watched;
}

} // namespace zorik::wine
