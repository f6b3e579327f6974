// The main dialog's side of the loopback test: the Test button, the worker
// thread's start, and the operations the worker performs on the dialog.
#include "main_dialog.h"

#include "framework/tick_clock.h"
#include "framework/win_app.h"
#include "framework/worker_thread.h"
#include "loopback_worker.h"
#include "loopback_globals.h"
#include "windows_loopback_services.h"

void CPortTestDlg::OnTest()
{
    if (IsBoundedRun()) {
        EndBoundedRun();
        return;
    }
    if (m_station) {
        if (m_station->UnitRunning())
            StopStationUnitEarly();
        else
            StartStationUnit();
        return;
    }
    g_bTestRunning.onTestButton(*this);
    SetTimer(SUMMARY_TIMER_ID, SUMMARY_PERIOD_MS, nullptr);
}

UINT CPortTestDlg::TestThreadEntry(LPVOID parameter)
{
    static WindowsLoopbackServices services;
    // Where it cannot be kept on one processor, the waits still check the
    // counter against the tick count.
    TickClockKeepThreadOnOneProcessor();
    CPortTestDlg& dlg = *static_cast<CPortTestDlg*>(parameter);
    return zorik::TestThreadProc(dlg, services, dlg.m_readings, g_bTestRunning, g_nTestCount, g_testTally,
                                 dlg.m_unattended.options().bounds, dlg.m_proofRule ? &*dlg.m_proofRule : nullptr);
}

bool CPortTestDlg::startWorkerThread()
{
    return AfxBeginThread(&CPortTestDlg::TestThreadEntry, this) != FALSE;
}

void CPortTestDlg::killPollTimer()
{
    KillTimer(POLL_TIMER_ID);
}

void CPortTestDlg::setPollTimer()
{
    SetTimer(POLL_TIMER_ID, POLL_PERIOD_MS, nullptr);
}

void CPortTestDlg::setOutputIndicator(int channel, int checked)
{
    m_btnOutput[channel].SetCheck(checked);
}

int CPortTestDlg::outputIndicator(int channel)
{
    return m_btnOutput[channel].GetCheck();
}

void CPortTestDlg::setInputIndicator(int channel, int checked)
{
    m_btnInput[channel].SetCheck(checked);
}

int CPortTestDlg::inputIndicator(int channel)
{
    return m_btnInput[channel].GetCheck();
}

void CPortTestDlg::matchOutputsToSwitches()
{
    SendMessage(WM_MATCH_OUTPUTS_TO_SWITCHES, 0, 0);
}

LRESULT CPortTestDlg::OnMatchOutputsToSwitches(WPARAM, LPARAM)
{
    for (int channel = 0; channel < 3; ++channel)
        WriteOutput(channel);
    return 0;
}

void CPortTestDlg::setTestCaption(const std::string& text)
{
    SetDlgItemText(IDC_TEST, text.c_str());
}

LRESULT CPortTestDlg::OnJournalFailed(WPARAM, LPARAM)
{
    // A bounded run shows nothing that waits for an answer; without the
    // journal its report at the end holds every result all the same.
    const auto notice = m_journal.takeFailureNotice();
    if (notice && !IsBoundedRun())
        AfxMessageBox(notice->c_str(), MB_OK | MB_ICONEXCLAMATION);
    return 0;
}
