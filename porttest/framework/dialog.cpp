#include "dialog.h"

#include "win_app.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent)
{
}

INT_PTR CDialog::DoModal()
{
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    return ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                            &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) const
{
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    // A few messages (WM_SETFONT among them) come before WM_INITDIALOG.
    if (self == nullptr)
        return FALSE;

    INT_PTR answer = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->DetachChildren();
        self->m_hWnd = nullptr;
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    }
    return answer;
}

namespace {

// Messages whose dialog procedure answers with the result itself instead of
// TRUE plus DWLP_MSGRESULT.
bool AnswersDirectly(UINT message)
{
    switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return true;
    default:
        return false;
    }
}

} // namespace

void CDialog::CenterOnOwner() const
{
    RECT area;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner == nullptr || !::GetWindowRect(owner, &area))
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT rect;
    ::GetWindowRect(m_hWnd, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // The caption stays on screen even when the dialog is the larger.
    x = x < 0 ? 0 : x;
    y = y < 0 ? 0 : y;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        RECT before;
        ::GetWindowRect(m_hWnd, &before);
        BOOL setFocus = OnInitDialog();
        // A dialog its initialisation did not place opens centred rather
        // than in the screen's corner, where its template puts it; one it
        // only made taller (a station's) is centred at its new size.
        RECT after;
        ::GetWindowRect(m_hWnd, &after);
        if (before.left == after.left && before.top == after.top)
            CenterOnOwner();
        return setFocus;
    }

    // F1 asks for help the way the help command does.
    if (message == WM_HELP) {
        message = WM_COMMAND;
        wParam = MAKEWPARAM(ID_HELP, 0);
        lParam = 0;
    }

    const bool outerDefaultRequested = m_defaultRequested;
    m_defaultRequested = false;
    LRESULT result = 0;
    bool handled = RouteMessage(message, wParam, lParam, result);
    if (!handled && message == WM_COMMAND && AfxGetApp() != nullptr)
        handled = AfxGetApp()->RouteMessage(message, wParam, lParam, result);
    const bool defaultRequested = m_defaultRequested;
    m_defaultRequested = outerDefaultRequested;

    if (!handled || defaultRequested)
        return FALSE;
    if (AnswersDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
