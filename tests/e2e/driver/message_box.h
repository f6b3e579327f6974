// Message boxes the program shows: found among its top-level windows, read
// and answered by pressing one of their buttons.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "wait_until.h"

namespace zorik::e2e {

class MessageBoxWindow {
public:
    // The first visible message box of process `processId` within `timeout`.
    static std::optional<MessageBoxWindow> waitFor(DWORD processId, Millis timeout);
    // Whether the process shows one right now.
    static bool isShown(DWORD processId);

    HWND window() const { return window_; }
    std::string caption() const; // code page 949 bytes
    std::string text() const;    // code page 949 bytes
    bool hasButton(int id) const;
    // Presses IDOK, IDYES, IDNO, ...; throws if the box has no such button.
    void press(int id) const;
    // Whether the box has gone within `timeout`.
    bool waitUntilClosed(Millis timeout) const;
    // Presses the button and waits for the box to go: whatever the program
    // shows next is then no longer confused with this box on its way out.
    bool answer(int id, Millis timeout) const;

private:
    explicit MessageBoxWindow(HWND window) : window_(window) {}
    HWND window_;
};

} // namespace zorik::e2e
