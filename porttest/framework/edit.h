// An edit control used as a read-only text view that grows at its end and
// may lose text at its start.
#pragma once

#include "wnd.h"

class CEdit : public CWnd {
public:
    // 0 lifts the limit as far as the system allows (on the 9x family a
    // multi-line control still stops near 64 KB): the control then takes
    // more than its default limit (about 30000 characters), which it would
    // silently refuse.
    void SetLimitText(UINT maxChars) const { SendMessage(EM_SETLIMITTEXT, maxChars); }

    // Adds `text` after the last character, whatever is selected, and
    // scrolls the end into view. The control's earlier text stays as it is.
    // Returns the position of the end afterwards, in the control's units.
    DWORD AppendText(const char* text) const;

    // Removes `length` positions from `start` on, in the control's units.
    void RemoveText(DWORD start, DWORD length) const;

    // The position after the last character, in the control's units
    // (characters where it holds Unicode, bytes where it holds code page
    // text); places the caret there.
    DWORD EndPosition() const;
};
