#include "data_exchange.h"

#include <utility>

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (control.m_hWnd != nullptr)
        return;
    pDX->m_pDlgWnd->AttachChild(control, id);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value)
{
    HWND control = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(control, value.c_str());
        return;
    }
    int length = ::GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    length = ::GetWindowTextA(control, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(length));
    value = std::move(text);
}
