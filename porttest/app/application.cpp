#include "application.h"

#include "main_dialog.h"

BEGIN_MESSAGE_MAP(CPortTestApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

// The one application object; it exists before the program's entry runs.
CPortTestApp theApp;

BOOL CPortTestApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControls();

    CPortTestDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;

    // The dialog has closed: no message loop to run, the program ends.
    return FALSE;
}
