// A bounded run from the command line: the test starts by itself, stops at
// its bound, and the report is written without a question before the
// dialog ends. Nothing here ever waits for an answer: a batch file may be
// the only one watching.
#include "main_dialog.h"

#include "loopback_globals.h"
#include "program_texts.h"

void CPortTestDlg::StartBoundedRun()
{
    // As if the operator pressed Test at once. Without a thread there is no
    // run to wait for; it ends as an interrupted one.
    if (g_bTestRunning.onTestButton(*this) != zorik::TestButtonResult::Started) {
        EndBoundedRun();
        return;
    }
    SetTimer(SUMMARY_TIMER_ID, SUMMARY_PERIOD_MS, nullptr);
}

void CPortTestDlg::CheckBoundedRunEnd()
{
    if (IsBoundedRun() && g_bTestRunning.boundReached() && !g_bTestRunning.workerActive())
        EndBoundedRun();
}

void CPortTestDlg::EndBoundedRun()
{
    // Test, Esc and a timer may all come before the dialog has gone.
    if (m_bBoundedRunEnded)
        return;
    m_bBoundedRunEnded = true;
    KillTimer(SUMMARY_TIMER_ID);
    const bool written = FinishRun(m_boundedRun.reportFile.empty() ? zorik::kReportFileName
                                                                   : m_boundedRun.reportFile.c_str());
    UpdateSummary();
    m_nBoundedRunExit =
        zorik::boundedRunExitCode(written, g_bTestRunning.boundReached(), g_testTally.disagreements());
    EndDialog(IDCANCEL);
}
