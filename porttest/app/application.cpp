#include "application.h"

#include "framework/windows_journal_files.h"
#include "journal_recovery.h"
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

    // Results an earlier run left in its journal (killed, crashed, power
    // cut) are put where this run's journal cannot touch them, and the
    // operator is told where.
    WindowsJournalFiles journalFiles;
    const std::string recovered = zorik::recoverLeftJournals(journalFiles);
    if (!recovered.empty())
        AfxMessageBox(recovered.c_str(), MB_OK | MB_ICONINFORMATION);

    CPortTestDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;

    // The dialog has closed: no message loop to run, the program ends.
    return FALSE;
}
