#include "edit.h"

void CEdit::AppendText(const char* text) const
{
    // The ANSI length may count more than the control holds; past the end
    // is the end.
    const int end = ::GetWindowTextLengthA(m_hWnd);
    SendMessage(EM_SETSEL, end, end);
    SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
    SendMessage(EM_SCROLLCARET);
}
