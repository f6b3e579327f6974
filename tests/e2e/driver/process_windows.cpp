#include "process_windows.h"

#include <cstdint>
#include <stdexcept>

namespace zorik::e2e {
namespace {

struct Search {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> visibleTopLevelWindows(DWORD processId) {
    Search search{processId, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string className(HWND window) {
    char name[256];
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

LRESULT sendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs) {
    DWORD_PTR result = 0;
    SetLastError(0);
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            timeoutMs, &result))
        return static_cast<LRESULT>(result);
    const DWORD error = GetLastError();
    std::string what = "window " + std::to_string(reinterpret_cast<uintptr_t>(window)) + " (" +
                       className(window) + ") did not answer message " + std::to_string(message);
    if (!IsWindow(window))
        throw std::runtime_error(what + ": the window is gone");
    throw std::runtime_error(what + " within " + std::to_string(timeoutMs) + " ms (error " +
                             std::to_string(error) + ")");
}

std::string windowText(HWND window) {
    // Korean text takes up to two bytes per character in code page 949, and
    // the text may grow between asking its length and reading it: a buffer
    // filled to the brim may have cut it short, so read again.
    for (size_t spare = 1024;; spare *= 4) {
        const auto length = static_cast<size_t>(sendBounded(window, WM_GETTEXTLENGTH));
        std::string text(2 * length + spare, '\0');
        const auto copied = static_cast<size_t>(sendBounded(
            window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
        if (copied + 1 < text.size()) {
            text.resize(copied);
            return text;
        }
    }
}

void postKeyPress(HWND target, WORD virtualKey) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16;
    PostMessageA(target, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageA(target, WM_KEYUP, virtualKey, scan | 1 | (1u << 30) | (1u << 31));
}

void postMouseClick(HWND target) {
    RECT area;
    GetClientRect(target, &area);
    const LPARAM centre = MAKELPARAM((area.right - area.left) / 2, (area.bottom - area.top) / 2);
    PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    PostMessageA(target, WM_LBUTTONUP, 0, centre);
}

HWND focusedWindowOfThread(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

} // namespace zorik::e2e
