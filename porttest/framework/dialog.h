// A modal dialog built from a dialog template in the program's resources.
//
// Message flow: DoModal runs the system's modal loop; every message for the
// dialog reaches DialogProc, which hands WM_INITDIALOG to OnInitDialog and
// everything else to the message maps (this dialog's class and its bases,
// then, for commands the dialog leaves, the application's). What no map
// handles, or what a handler passes on with Default(), gets the system's
// dialog handling.
#pragma once

#include "wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Runs the dialog until EndDialog; returns EndDialog's result, or -1
    // when the dialog could not be created.
    INT_PTR DoModal();
    void EndDialog(int result) const;

protected:
    // Exchanges the members into the controls (the first exchange attaches
    // the control members); TRUE: the system sets the focus.
    virtual BOOL OnInitDialog();
    // Exchanges the controls into the members, then ends with IDOK.
    virtual void OnOK();
    // Ends with IDCANCEL, without exchange.
    virtual void OnCancel();

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CenterOnOwner() const;

    UINT m_templateId;
    CWnd* m_pParentWnd;
};
