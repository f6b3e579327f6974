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
        m_unattended.endWithoutTest(zorik::EXIT_TEST_NOT_STARTED);
        FinishRun(nullptr);
        EndDialog(IDCANCEL);
        return;
    }
    SetTimer(SUMMARY_TIMER_ID, SUMMARY_PERIOD_MS, nullptr);
}

void CPortTestDlg::CheckBoundedRunEnd()
{
    if (m_unattended.due(g_bTestRunning))
        EndBoundedRun();
}

void CPortTestDlg::EndBoundedRun()
{
    if (!m_unattended.beginEnding())
        return;
    KillTimer(SUMMARY_TIMER_ID);
    const Finished finished = FinishRun(m_unattended.reportName());
    UpdateSummary();
    m_unattended.end(BoundedEnd(finished));
    EndDialog(IDCANCEL);
}
