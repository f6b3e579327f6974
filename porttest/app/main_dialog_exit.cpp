// Leaving the main dialog: the save question and report file on the exit
// button, and stopping a running test whichever way the dialog closes.
#include "main_dialog.h"

#include "framework/message_wait.h"
#include "framework/win_app.h"
#include "report_file.h"
#include "stdio_report_file.h"
#include "loopback_globals.h"
#include "program_texts.h"

void CPortTestDlg::OnOK()
{
    if (IsBoundedRun()) {
        EndBoundedRun();
        return;
    }
    if (MessageBox(zorik::kSaveQuestion, nullptr, MB_YESNO) == IDYES) {
        zorik::StdioReportFileSystem files;
        if (!zorik::saveErrorReport(zorik::takeReportSnapshot(m_strLog, g_nTestCount), files))
            AfxMessageBox(zorik::kSaveFailed, MB_ICONHAND);
    }
    StopTestAndWait();
    CDialog::OnOK();
}

void CPortTestDlg::OnCancel()
{
    if (IsBoundedRun()) {
        EndBoundedRun();
        return;
    }
    StopTestAndWait();
    CDialog::OnCancel();
}

void CPortTestDlg::StopTestAndWait()
{
    // The worker's control calls are handled on this thread, so the wait
    // keeps handling them; afterwards the worker never touches the dialog.
    g_bTestRunning.stopAndWait(
        [](const std::function<bool()>& workerDone) { WaitHandlingSentMessages(workerDone); });
}
