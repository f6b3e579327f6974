#include "message_box.h"

#include <stdexcept>

#include "message_box_finder.h"
#include "process_windows.h"

namespace zorik::e2e {

std::optional<MessageBoxWindow> MessageBoxWindow::waitFor(DWORD processId, Millis timeout) {
    HWND found = nullptr;
    waitUntil([&] { return (found = tools::findMessageBox(processId)) != nullptr; }, timeout,
              Millis(20));
    if (!found)
        return std::nullopt;
    return MessageBoxWindow(found);
}

bool MessageBoxWindow::isShown(DWORD processId) {
    return tools::findMessageBox(processId) != nullptr;
}

std::string MessageBoxWindow::caption() const {
    return windowText(window_);
}

std::string MessageBoxWindow::text() const {
    return windowText(GetDlgItem(window_, tools::kMessageTextId));
}

bool MessageBoxWindow::hasButton(int id) const {
    return tools::hasButton(window_, id);
}

void MessageBoxWindow::press(int id) const {
    if (!hasButton(id))
        throw std::runtime_error("the message box has no button " + std::to_string(id));
    tools::pressButton(window_, id);
}

bool MessageBoxWindow::waitUntilClosed(Millis timeout) const {
    return waitUntil([&] { return !IsWindow(window_) || !IsWindowVisible(window_); }, timeout);
}

bool MessageBoxWindow::answer(int id, Millis timeout) const {
    press(id);
    return waitUntilClosed(timeout);
}

} // namespace zorik::e2e
