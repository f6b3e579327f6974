// Leaving the main dialog: the save question and report file, asked by the
// exit button and, once a test cycle has run, by Esc and the close box;
// stopping a running test whichever way the dialog closes.
#include "main_dialog.h"

#include "framework/message_wait.h"
#include "framework/win_app.h"
#include "framework/windows_report_files.h"
#include "report_file.h"
#include "result_file.h"
#include "whole_file.h"
#include "loopback_globals.h"
#include "program_texts.h"

void CPortTestDlg::OnOK()
{
    if (IsBoundedRun()) {
        EndBoundedRun();
        return;
    }
    if (StationTakesEnter())
        return;
    EndStationUnitForLeaving();
    AskAndFinishRun();
    CDialog::OnOK();
}

void CPortTestDlg::OnCancel()
{
    if (IsBoundedRun()) {
        EndBoundedRun();
        return;
    }
    EndStationUnitForLeaving();
    // Results of a test are never thrown away without asking. The worker
    // is stopped before the count is looked at, so that no first cycle can
    // begin between the look and the end.
    if (g_nTestCount.value() == 0) {
        StopTestAndWait();
        if (g_nTestCount.value() == 0) {
            FinishRun(nullptr);
            CDialog::OnCancel();
            return;
        }
    }
    AskAndFinishRun();
    CDialog::OnCancel();
}

void CPortTestDlg::AskAndFinishRun()
{
    const bool save = MessageBox(zorik::kSaveQuestion, nullptr, MB_YESNO) == IDYES;
    if (!FinishRun(save ? zorik::kReportFileName : nullptr).reportWritten)
        AfxMessageBox(zorik::kSaveFailed, MB_ICONHAND);
}

CPortTestDlg::Finished CPortTestDlg::FinishRun(const char* reportName)
{
    StopTestAndWait();
    // Memory may have run out in the cycle under way when the operator
    // asked to leave: the journal is kept all the same.
    CheckOutOfMemory();
    Finished finished;
    if (reportName != nullptr) {
        // The worker has stopped: the count and the log stand still.
        WindowsReportFiles files;
        finished.reportWritten = m_journal.writeReport(g_nTestCount.value(), files, reportName);
    }
    // The journal is the one copy that survives a power cut: it goes only
    // once the report and the result file are on the disk. The result file
    // says what the program ends with, so it is written as if the journal
    // will go, unless it is known to stay.
    const std::string journal = m_journal.madeName();
    bool keep = !finished.reportWritten || m_keepJournal;
    finished.journalLeft = keep && !journal.empty();
    finished.resultWritten = WriteResultFile(finished, journal);
    keep = keep || !finished.resultWritten;
    finished.journalLeft = keep && !journal.empty();
    const zorik::FileResult removed = m_journal.finish(keep);
    if (!removed.done() && removed.status != zorik::FileStatus::Missing) {
        // Left in place, it would be taken for a crashed run's at the next
        // start: the result file names it, with the code that follows, and
        // the operator hears why it is there.
        finished.journalLeft = true;
        if (finished.resultWritten)
            finished.resultWritten = WriteResultFile(finished, journal);
        if (!IsBoundedRun())
            AfxMessageBox(m_journal.removalNotice(removed).c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
    if (!finished.resultWritten && !IsBoundedRun())
        AfxMessageBox(zorik::formatResultNotWritten(m_unattended.options().resultFile).c_str(),
                      MB_OK | MB_ICONHAND);
    m_finished = finished;
    return finished;
}

bool CPortTestDlg::WriteResultFile(const Finished& finished, const std::string& journal)
{
    const std::string& name = m_unattended.options().resultFile;
    if (name.empty() || g_nTestCount.value() == 0)
        return true;
    zorik::RunOutcome outcome;
    outcome.ended = Ending();
    outcome.exitCode = ExitCodeFor(finished);
    outcome.provenBelow = m_unattended.options().bounds.rate;
    if (finished.journalLeft)
        outcome.journalLeft = journal;
    WindowsReportFiles files;
    if (zorik::writeWholeFile(files, name, zorik::formatResultFile(SummaryNow(), m_diagnosis, outcome)))
        return true;
    // Rewritten to name a journal left behind, the first one would now
    // tell a wrong exit code: none is better.
    files.remove(name);
    return false;
}

zorik::RunEnding CPortTestDlg::Ending() const
{
    if (g_bTestRunning.outOfMemory())
        return zorik::RunEnding::OutOfMemory;
    // A station's unit is a bounded run of its own.
    if (!IsBoundedRun() && !m_station)
        return zorik::RunEnding::Operator;
    if (m_unitEndedEarly || !g_bTestRunning.boundReached())
        return zorik::RunEnding::Early;
    // /rate: proved or named before any other bound.
    if (m_proofRule) {
        switch (m_proofRule->ended(g_nTestCount.value())) {
        case zorik::RunEnded::Proved:
            return zorik::RunEnding::Proved;
        case zorik::RunEnded::Finding:
            return zorik::RunEnding::Finding;
        default:
            break;
        }
    }
    return zorik::RunEnding::Bound;
}

zorik::BoundedRunEnd CPortTestDlg::BoundedEnd(const Finished& finished) const
{
    zorik::BoundedRunEnd end{finished.reportWritten, g_bTestRunning.boundReached(), g_bTestRunning.outOfMemory(),
                             g_testTally.disagreements()};
    end.resultWritten = finished.resultWritten;
    end.journalLeft = finished.journalLeft;
    return end;
}

int CPortTestDlg::ExitCodeFor(const Finished& finished) const
{
    if (IsBoundedRun())
        return zorik::boundedRunExitCode(BoundedEnd(finished));
    // The operator's dialog: a /result that could not be written is said
    // to the batch file that started it, as in a bounded run.
    if (g_bTestRunning.outOfMemory() || m_outOfMemoryTold)
        return zorik::EXIT_OUT_OF_MEMORY;
    return finished.resultWritten ? zorik::EXIT_NO_DISAGREEMENT : zorik::EXIT_REPORT_NOT_WRITTEN;
}

void CPortTestDlg::CheckOutOfMemory()
{
    if (!g_bTestRunning.outOfMemory() || g_bTestRunning.workerActive() || m_outOfMemoryTold)
        return;
    m_outOfMemoryTold = true;
    m_keepJournal = true;
    if (IsBoundedRun())
        return;
    // Stopped as by the Test button: the inputs are polled again.
    setPollTimer();
    AfxMessageBox(zorik::formatOutOfMemory(m_journal.fileName()).c_str(), MB_OK | MB_ICONHAND);
}

int CPortTestDlg::ExitCode() const
{
    if (IsBoundedRun())
        return m_unattended.exitCode();
    // A station whose history could not be read did not open.
    if (m_stationRefused)
        return zorik::EXIT_REPORT_NOT_WRITTEN;
    // A station that ends with rows not in its history: 3, under 7.
    const int code = ExitCodeFor(m_finished);
    return m_stationRowsLeft && code != zorik::EXIT_OUT_OF_MEMORY ? zorik::EXIT_REPORT_NOT_WRITTEN : code;
}

void CPortTestDlg::StopTestAndWait()
{
    // The worker's control calls are handled on this thread, so the wait
    // keeps handling them; afterwards the worker never touches the dialog.
    g_bTestRunning.stopAndWait(
        [](const std::function<bool()>& workerDone) { WaitHandlingSentMessages(workerDone); });
}
