// The operator's view of Zorik's main window: its controls by id, what they
// show, and the clicks and keys an operator would use. Clicks and keys are
// posted, never sent: the program may answer them with a modal message box,
// and the test must stay free to answer that box.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "wait_until.h"

namespace zorik::e2e {

enum ControlId : int {
    kExitButton = IDOK,
    kInput0 = 1000,
    kOutput0 = 1008,
    kTestButton = 1017,
    kLogBox = 1018,
    kSummary = 1019,
    kFindings = 1020,
    // Station mode only (/station).
    kSerialField = 1021,
    kBanner = 1022,
    kYieldLine = 1023,
};

inline int inputId(int channel) { return kInput0 + channel; }
inline int outputId(int channel) { return kOutput0 + channel; }

class MainDialog {
public:
    // Waits for process `processId` to show its main window, captioned
    // "Zorik", with message boxes of its own out of the way.
    static std::optional<MainDialog> waitFor(DWORD processId, Millis timeout);

    HWND window() const { return window_; }
    bool exists() const;
    std::string caption() const;

    HWND control(int id) const;
    // Text of a control, code page 949 bytes.
    std::string text(int id) const;
    // BM_GETCHECK: 1 checked, 0 unchecked.
    int checkState(int id) const;
    LONG style(int id) const;

    // BM_CLICK, posted: what a click on the button does, without the mouse.
    void click(int id) const;
    // Left button press and release at the control's centre.
    void mouseClick(int id) const;
    // A key press delivered to the focused control, so that the dialog's
    // keyboard handling (Esc, Enter) takes its normal path.
    void pressKey(WORD virtualKey) const;
    // What a keyboard-wedge barcode reader does: each byte of `text` as a
    // character, then Enter, to control `id` (the one the program focuses:
    // with other programs' windows coming and going on the display, the
    // window with the focus is not always this one).
    void typeLine(int id, const std::string& text) const;
    // The close box of the title bar.
    void pressCloseBox() const;

private:
    explicit MainDialog(HWND window) : window_(window) {}
    HWND window_;
};

} // namespace zorik::e2e
