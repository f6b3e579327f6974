// A window handle with the few operations the program performs on its
// windows. SendMessage and SetDlgItemText may be called from any thread (a
// message to a window of another thread is handled on that thread before
// the call returns); the rest belong to the window's own thread.
#pragma once

#include "cmd_target.h"

#include <vector>

class CWnd;

// What UpdateData hands to a window's DoDataExchange (data_exchange.h has
// the exchanges themselves).
class CDataExchange {
public:
    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    CWnd* m_pDlgWnd;
};

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetDlgItemText(int id, const char* text) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr) const;
    BOOL KillTimer(UINT_PTR id) const;
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    HICON SetIcon(HICON icon, BOOL bigIcon) const;

    // A modal box owned by this window; no caption means the application's
    // name.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK) const;

    // TRUE: controls to members; FALSE: members to controls.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Asks for the system's default handling of the message being handled;
    // it runs once the handler has returned.
    LRESULT Default();

    // Binds `child` to this window's control `id`, until DetachChildren,
    // which the window's destruction calls so that no member keeps the
    // handle of a destroyed control.
    void AttachChild(CWnd& child, int id);
    void DetachChildren();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    bool m_defaultRequested = false;

private:
    std::vector<CWnd*> m_attachedChildren;
};
