// Station mode (/station): each serial read starts one unit's test with the
// run's length; its end writes the unit's row and files and shows the
// banner (station_panel.h). Between units the counts, the log, the
// diagnosis and the journal start again, so that every unit's figures,
// report and finding are its own; the journal of the last unit stays
// until the next one starts, so that the exit button's report is that
// unit's.
#include "main_dialog.h"

#include "framework/win_app.h"
#include "loopback_globals.h"
#include "program_texts.h"
#include "framework/windows_report_files.h"
#include "unit_start.h"

bool CPortTestDlg::OpenStation()
{
    m_station = std::make_unique<CStationPanel>(m_unattended.options());
    std::string refusal;
    if (!m_station->Load(refusal)) {
        AfxMessageBox(refusal.c_str(), MB_OK | MB_ICONHAND);
        m_stationRefused = true;
        m_station.reset();
        EndDialog(IDCANCEL);
        return false;
    }
    m_station->Create(m_hWnd);
    return true;
}

void CPortTestDlg::StartStationUnit()
{
    // A worker still finishing the last unit's cycle is waited for.
    if (!m_station || m_station->UnitRunning() || g_bTestRunning.workerActive())
        return;
    if (!m_station->TakeSerial())
        return;
    zorik::startNextUnit({g_nTestCount, g_testTally, m_diagnosis, m_strLog, g_bTestRunning, m_journal}, m_keepJournal,
                         zorik::kLogInitialText, zorik::formatLogHeader());
    m_keepJournal = false;
    m_logBox.Show(m_strLog.text());
    m_unitEndedEarly = false;
    UpdateSummary();
    const bool started = g_bTestRunning.onTestButton(*this) == zorik::TestButtonResult::Started;
    m_station->UnitStarted(started);
    if (started)
        SetTimer(SUMMARY_TIMER_ID, SUMMARY_PERIOD_MS, nullptr);
}

void CPortTestDlg::StopStationUnitEarly()
{
    if (!g_bTestRunning.value())
        return; // already stopping
    m_unitEndedEarly = true;
    g_bTestRunning.onTestButton(*this);
}

void CPortTestDlg::CheckStationUnitEnd()
{
    if (m_station && m_station->UnitRunning() && !g_bTestRunning.workerActive())
        EndStationUnit();
}

void CPortTestDlg::EndStationUnit()
{
    UpdateSummary();
    OnShowNewLogLines(0, 0);
    m_station->UnitEnded(SummaryNow(), m_diagnosis, Ending(), m_findingsShown, [this](const std::string& name) {
        // Flushed to the disk when closed: on it before the journal goes.
        WindowsReportFiles files;
        const bool written = m_journal.writeReport(g_nTestCount.value(), files, name);
        // The journal is then the unit's only report: kept for recovery.
        m_keepJournal = m_keepJournal || !written;
        return written;
    });
}

void CPortTestDlg::EndStationUnitForLeaving()
{
    if (!m_station)
        return;
    if (m_station->UnitRunning()) {
        // A unit whose worker already stopped at its bound (the summary
        // timer had not yet ended it) ended at its bound, not early.
        StopTestAndWait();
        EndStationUnit();
    }
    // Rows not in the history yet get one more try; those still left are
    // named, and the program ends with 3.
    const std::string left = m_station->End();
    if (!left.empty()) {
        m_stationRowsLeft = true;
        AfxMessageBox(left.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
}

void CPortTestDlg::StationIdle()
{
    if (m_station)
        m_station->Idle();
}

LRESULT CPortTestDlg::OnSerialEntered(WPARAM, LPARAM)
{
    if (m_station && m_station->TakeEnter())
        StartStationUnit();
    return 0;
}

LRESULT CPortTestDlg::OnLineChanged(WPARAM, LPARAM)
{
    // From anywhere it only makes the panel read the line's state again.
    if (m_station)
        m_station->LineChanged();
    return 0;
}

bool CPortTestDlg::StationTakesEnter()
{
    if (!m_station)
        return false;
    // Enter on another control (an output switch): back to the field,
    // nothing else. The exit button itself, clicked or pressed with the
    // space bar, leaves as always.
    if (::GetKeyState(VK_RETURN) < 0) {
        ::SetFocus(m_station->SerialField());
        return true;
    }
    return false;
}
