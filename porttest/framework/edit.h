// An edit control used as a growing, read-only text view.
#pragma once

#include "wnd.h"

class CEdit : public CWnd {
public:
    // 0 lifts the limit: the control then takes any amount of text, which
    // its default limit (about 30000 characters) would silently refuse.
    void SetLimitText(UINT maxChars) const { SendMessage(EM_SETLIMITTEXT, maxChars); }

    // Adds `text` after the last character, whatever is selected, and
    // scrolls the end into view. The control's earlier text stays as it is.
    void AppendText(const char* text) const;
};
