#include "application.h"

#include "command_line.h"
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

    // A batch file's mistake is refused before anything runs, and said
    // once: nothing is tested, nothing written, no journal recovered.
    char programPath[MAX_PATH + 1] = "";
    if (::GetModuleFileNameA(nullptr, programPath, MAX_PATH) == 0)
        programPath[0] = '\0';
    const zorik::ParsedCommandLine commandLine =
        zorik::parseCommandLine(::GetCommandLineA(), programPath, [](const std::string& name) {
            const DWORD attributes = ::GetFileAttributesA(name.c_str());
            return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        });
    if (!commandLine.accepted) {
        AfxMessageBox(commandLine.refusal.c_str(), MB_OK | MB_ICONHAND);
        m_nExitCode = zorik::EXIT_REFUSED_ARGUMENT;
        return FALSE;
    }

    // Results an earlier run left in its journal (killed, crashed, power
    // cut) are put where this run's journal cannot touch them, and the
    // operator is told where; a bounded run, which nobody may be watching,
    // recovers them all the same but waits for no one to read it.
    WindowsJournalFiles journalFiles;
    const std::string recovered = zorik::recoverLeftJournals(journalFiles);
    if (!recovered.empty() && !commandLine.options.bounds.any())
        AfxMessageBox(recovered.c_str(), MB_OK | MB_ICONINFORMATION);

    CPortTestDlg dlg;
    dlg.SetRunOptions(commandLine.options);
    m_pMainWnd = &dlg;
    // A dialog that could not be made (-1) has tested nothing; its exit
    // code says "no verdict" (the dialog's own, until a run has ended).
    const INT_PTR result = dlg.DoModal();
    m_pMainWnd = nullptr;
    m_nExitCode = result == -1 ? zorik::EXIT_NO_VERDICT : dlg.ExitCode();

    // The dialog has closed: no message loop to run, the program ends.
    return FALSE;
}

int CPortTestApp::ExitInstance()
{
    return m_nExitCode;
}
