#include "process_windows.h"

#include <cstdint>
#include <stdexcept>

#include "message_box_finder.h"

namespace zorik::e2e {

LRESULT sendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs) {
    DWORD_PTR result = 0;
    SetLastError(0);
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            timeoutMs, &result))
        return static_cast<LRESULT>(result);
    const DWORD error = GetLastError();
    std::string what = "window " + std::to_string(reinterpret_cast<uintptr_t>(window)) + " (" +
                       tools::className(window) + ") did not answer message " + std::to_string(message);
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
