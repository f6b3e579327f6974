#include "box_dismisser.h"

#include <cstring>

namespace zorik::sim::testing {

namespace {

constexpr UINT REPLY_TIMEOUT_MS = 2000;
constexpr DWORD POLL_MS = 50;

// Asked by message so that it works across threads and processes, with a
// time limit so that a hung owner cannot hang the test.
std::string windowText(HWND window)
{
    char buffer[1024] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, REPLY_TIMEOUT_MS, &copied))
        return std::string();
    return std::string(buffer, copied < sizeof buffer ? copied : sizeof buffer - 1);
}

bool hasClass(HWND window, const char* name)
{
    char buffer[64] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return lstrcmpiA(buffer, name) == 0;
}

struct BoxSearch {
    DWORD pid;
    HWND box = nullptr;
};

BOOL CALLBACK findBox(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<BoxSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid || !IsWindowVisible(window) || !hasClass(window, "#32770"))
        return TRUE;
    search->box = window;
    return FALSE;
}

// A box's message is its longest static text; the icon, if any, is an
// empty static.
BOOL CALLBACK collectText(HWND child, LPARAM context)
{
    auto* text = reinterpret_cast<std::string*>(context);
    if (hasClass(child, "Static")) {
        std::string candidate = windowText(child);
        if (candidate.size() > text->size())
            *text = std::move(candidate);
    }
    return TRUE;
}

} // namespace

std::optional<DismissedBox> dismissBox(DWORD pid, const std::atomic<bool>& stop, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!stop && GetTickCount() - start < timeoutMs) {
        BoxSearch search{pid};
        EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
        if (!search.box) {
            Sleep(POLL_MS);
            continue;
        }
        DismissedBox seen;
        seen.caption = windowText(search.box);
        EnumChildWindows(search.box, collectText, reinterpret_cast<LPARAM>(&seen.text));
        PostMessageA(search.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(search.box, IDOK)));
        return seen;
    }
    return std::nullopt;
}

} // namespace zorik::sim::testing
