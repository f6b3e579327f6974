// Looking at another process's windows from the outside. Every message to
// them is sent with a time limit: a hung program fails the test instead of
// hanging it.
#pragma once

#include <windows.h>

#include <string>

namespace zorik::e2e {

// The window's text (WM_GETTEXT), in the system's ANSI code page: code page
// 949 bytes in the Korean setting the tests run in.
std::string windowText(HWND window);

// SendMessage that gives up, with an exception, after `timeoutMs`.
LRESULT sendBounded(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                    UINT timeoutMs = 3000);

// Posts a key press and release to `target`, as the keyboard would deliver
// them to the window that has the focus.
void postKeyPress(HWND target, WORD virtualKey);

// Posts a left mouse button press and release at the centre of `target`,
// in the order the mouse delivers them.
void postMouseClick(HWND target);

// The window that has the keyboard focus in the thread that owns `window`.
HWND focusedWindowOfThread(HWND window);

} // namespace zorik::e2e
