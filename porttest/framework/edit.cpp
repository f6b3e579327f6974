#include "edit.h"

DWORD CEdit::AppendText(const char* text) const
{
    EndPosition();
    SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
    SendMessage(EM_SCROLLCARET);
    DWORD end = 0;
    SendMessage(EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
    return end;
}

void CEdit::RemoveText(DWORD start, DWORD length) const
{
    // Not undoable, so the control keeps no copy of what left.
    SendMessage(EM_SETSEL, start, start + length);
    SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
}

DWORD CEdit::EndPosition() const
{
    // The ANSI length may count more than the control holds; past the end
    // is the end, and the control then says where that is.
    const int end = ::GetWindowTextLengthA(m_hWnd);
    SendMessage(EM_SETSEL, end, end);
    DWORD position = 0;
    SendMessage(EM_GETSEL, 0, reinterpret_cast<LPARAM>(&position));
    return position;
}
