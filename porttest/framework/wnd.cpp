#include "wnd.h"

#include "app_name.h"

LRESULT CWnd::SendMessageA(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SetDlgItemTextA(int id, const char* text) const
{
    ::SetDlgItemTextA(m_hWnd, id, text);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc) const
{
    return ::SetTimer(m_hWnd, id, elapseMs, proc);
}

BOOL CWnd::KillTimer(UINT_PTR id) const
{
    return ::KillTimer(m_hWnd, id);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(RECT* rect) const
{
    ::GetClientRect(m_hWnd, rect);
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) const
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

int CWnd::MessageBoxA(const char* text, const char* caption, UINT type) const
{
    return ::MessageBoxA(m_hWnd, text, caption != nullptr ? caption : AfxGetAppName(), type);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx{saveAndValidate, this};
    DoDataExchange(&dx);
    return TRUE;
}

LRESULT CWnd::Default()
{
    m_defaultRequested = true;
    return 0;
}

void CWnd::AttachChild(CWnd& child, int id)
{
    child.m_hWnd = ::GetDlgItem(m_hWnd, id);
    m_attachedChildren.push_back(&child);
}

void CWnd::DetachChildren()
{
    for (CWnd* child : m_attachedChildren)
        child->m_hWnd = nullptr;
    m_attachedChildren.clear();
}

void CWnd::DoDataExchange(CDataExchange*)
{
}
