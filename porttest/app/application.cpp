#include "application.h"

#include "command_line.h"
#include "crash_exit.h"
#include "framework/windows_journal_files.h"
#include "framework/windows_report_files.h"
#include "journal_recovery.h"
#include "main_dialog.h"
#include "program_texts.h"

BEGIN_MESSAGE_MAP(CPortTestApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

// The one application object; it exists before the program's entry runs.
CPortTestApp theApp;

BOOL CPortTestApp::InitInstance()
{
    EndProgramOnCrash();
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
        }, &WindowsReportFiles::fullPath);
    if (!commandLine.accepted) {
        AfxMessageBox(commandLine.refusal.c_str(), MB_OK | MB_ICONHAND);
        m_nExitCode = zorik::EXIT_REFUSED_ARGUMENT;
        return FALSE;
    }

    // The result file is this run's or none: an earlier run's (the unit
    // before, perhaps a pass) goes before anything runs, however this run
    // ends. One that cannot go is said as a refused argument is, and
    // nothing runs.
    if (!RemoveEarlierResultFile(commandLine.options.resultFile)) {
        m_nExitCode = zorik::EXIT_REPORT_NOT_WRITTEN;
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

bool CPortTestApp::RemoveEarlierResultFile(const std::string& name)
{
    if (name.empty())
        return true;
    WindowsReportFiles files;
    // Left by a run killed while writing it.
    files.remove(zorik::temporaryNameFor(name));
    const zorik::FileResult removed = files.remove(name);
    if (removed.done() || removed.status == zorik::FileStatus::Missing)
        return true;
    const std::string reason = zorik::errorReason(WindowsReportFiles::describe(removed.error), removed.error);
    AfxMessageBox(zorik::formatResultNotRemoved(name, reason).c_str(), MB_OK | MB_ICONHAND);
    return false;
}

int CPortTestApp::ExitInstance()
{
    return m_nExitCode;
}
