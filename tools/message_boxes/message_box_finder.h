// Finding, reading and answering the message boxes a program shows, from
// another thread or another process: shared by the tests and by the tools
// that work Zorik's window without an operator.
//
// Every message to the box is sent with a time limit, so that a hung owner
// gives an empty answer instead of hanging the caller.
#pragma once

#include <windows.h>

#include <string>

namespace zorik::tools {

// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

std::string className(HWND window);

// The window's text, asked by message (WM_GETTEXT) with a time limit;
// empty when the owner does not answer.
std::string boundedWindowText(HWND window);

// The first visible top-level window of process `processId` (0: of any
// process on this thread's desktop) that `accept` accepts, or nullptr.
HWND findVisibleWindow(DWORD processId, bool (*accept)(HWND window));

// A message box is a dialog of the system's dialog class that holds the
// static text control MessageBox puts its message in. Told by that control,
// not by what the window lacks: a closing dialog loses its controls before
// itself.
bool isMessageBox(HWND window);

// The first visible message box of process `processId` (0: of any process).
HWND findMessageBox(DWORD processId);

// Polls for a message box of `processId` until one shows or `timeoutMs`
// has passed.
HWND waitForMessageBox(DWORD processId, DWORD timeoutMs);

struct MessageBoxContent {
    std::string caption; // in the system's ANSI code page
    std::string text;
};
MessageBoxContent readMessageBox(HWND box);

// Whether the box shows button `id` (IDOK, IDYES, ...).
bool hasButton(HWND box, int id);

// Posts a click of button `id` as the button reports it: posted, so that
// the caller never waits for the box's thread.
void pressButton(HWND box, int id);

// Presses `id` and waits up to `timeoutMs` for the box to go.
bool answerMessageBox(HWND box, int id, DWORD timeoutMs);

} // namespace zorik::tools
