#include "main_dialog.h"

#include <stdexcept>

#include "message_box_finder.h"
#include "process_windows.h"

namespace zorik::e2e {
namespace {

// Enabled: no modal box of the program stands in front of it.
bool isOperableMainDialog(HWND window) {
    return tools::className(window) == "#32770" && GetDlgItem(window, kTestButton) != nullptr &&
           GetDlgItem(window, kLogBox) != nullptr && IsWindowEnabled(window);
}

} // namespace

std::optional<MainDialog> MainDialog::waitFor(DWORD processId, Millis timeout) {
    HWND found = nullptr;
    waitUntil(
        [&] { return (found = tools::findVisibleWindow(processId, isOperableMainDialog)) != nullptr; },
        timeout, Millis(20));
    if (!found)
        return std::nullopt;
    return MainDialog(found);
}

bool MainDialog::exists() const {
    return IsWindow(window_) != FALSE;
}

std::string MainDialog::caption() const {
    return windowText(window_);
}

HWND MainDialog::control(int id) const {
    HWND item = GetDlgItem(window_, id);
    if (!item)
        throw std::runtime_error("the dialog has no control " + std::to_string(id));
    return item;
}

std::string MainDialog::text(int id) const {
    return windowText(control(id));
}

int MainDialog::checkState(int id) const {
    return static_cast<int>(sendBounded(control(id), BM_GETCHECK));
}

LONG MainDialog::style(int id) const {
    return GetWindowLongA(control(id), GWL_STYLE);
}

void MainDialog::click(int id) const {
    PostMessageA(control(id), BM_CLICK, 0, 0);
}

void MainDialog::mouseClick(int id) const {
    postMouseClick(control(id));
}

void MainDialog::pressKey(WORD virtualKey) const {
    HWND focus = focusedWindowOfThread(window_);
    postKeyPress(focus ? focus : window_, virtualKey);
}

void MainDialog::typeLine(int id, const std::string& text) const {
    HWND target = control(id);
    for (char c : text)
        PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
    postKeyPress(target, VK_RETURN);
}

void MainDialog::pressCloseBox() const {
    PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

} // namespace zorik::e2e
