#include "message_box.h"

#include <stdexcept>

#include "main_dialog.h"
#include "process_windows.h"

namespace zorik::e2e {
namespace {

// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

// Told by its text control, not by what it lacks: the main dialog loses its
// controls before itself when it closes. The main dialog's unnumbered
// controls share the text control's id, but none of them is a static.
bool isMessageBox(HWND window) {
    if (className(window) != "#32770" || GetDlgItem(window, kTestButton) != nullptr)
        return false;
    HWND text = GetDlgItem(window, kMessageTextId);
    return text != nullptr && className(text) == "Static";
}

HWND firstMessageBox(DWORD processId) {
    for (HWND window : visibleTopLevelWindows(processId))
        if (isMessageBox(window))
            return window;
    return nullptr;
}

} // namespace

std::optional<MessageBoxWindow> MessageBoxWindow::waitFor(DWORD processId, Millis timeout) {
    HWND found = nullptr;
    waitUntil([&] { return (found = firstMessageBox(processId)) != nullptr; }, timeout, Millis(20));
    if (!found)
        return std::nullopt;
    return MessageBoxWindow(found);
}

bool MessageBoxWindow::isShown(DWORD processId) {
    return firstMessageBox(processId) != nullptr;
}

std::string MessageBoxWindow::caption() const {
    return windowText(window_);
}

std::string MessageBoxWindow::text() const {
    return windowText(GetDlgItem(window_, kMessageTextId));
}

bool MessageBoxWindow::hasButton(int id) const {
    HWND button = GetDlgItem(window_, id);
    return button && IsWindowVisible(button) && className(button) == "Button";
}

void MessageBoxWindow::press(int id) const {
    if (!hasButton(id))
        throw std::runtime_error("the message box has no button " + std::to_string(id));
    PostMessageA(GetDlgItem(window_, id), BM_CLICK, 0, 0);
}

bool MessageBoxWindow::waitUntilClosed(Millis timeout) const {
    return waitUntil([&] { return !IsWindow(window_) || !IsWindowVisible(window_); }, timeout);
}

bool MessageBoxWindow::answer(int id, Millis timeout) const {
    press(id);
    return waitUntilClosed(timeout);
}

} // namespace zorik::e2e
