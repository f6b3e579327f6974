// Leaving the main dialog: the save question and report file, asked by the
// exit button and, once a test cycle has run, by Esc and the close box;
// stopping a running test whichever way the dialog closes.
#include "main_dialog.h"

#include "framework/message_wait.h"
#include "framework/win_app.h"
#include "report_file.h"
#include "result_file.h"
#include "stdio_report_file.h"
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
    if (!FinishRun(save ? zorik::kReportFileName : nullptr))
        AfxMessageBox(zorik::kSaveFailed, MB_ICONHAND);
}

bool CPortTestDlg::FinishRun(const char* reportName)
{
    StopTestAndWait();
    bool saved = true;
    if (reportName != nullptr) {
        // The worker has stopped: the count and the log stand still.
        zorik::StdioReportFileSystem files;
        saved = m_journal.writeReport(g_nTestCount.value(), files, reportName);
    }
    // The result file is the diagnosis, not the results: its failure is
    // said on its own and keeps no journal; a bounded run's batch file
    // hears of it as of a missing report.
    const bool resultWritten = WriteResultFile();
    if (!resultWritten && !IsBoundedRun())
        AfxMessageBox(zorik::formatResultNotWritten(m_unattended.options().resultFile).c_str(),
                      MB_OK | MB_ICONHAND);
    const zorik::FileResult removed = m_journal.finish(!saved || m_keepJournal);
    // Left in place, it would be taken for a crashed run's at the next
    // start: the operator hears why it is there.
    if (!removed.done() && removed.status != zorik::FileStatus::Missing && !IsBoundedRun())
        AfxMessageBox(m_journal.removalNotice(removed).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return saved && (resultWritten || !IsBoundedRun());
}

bool CPortTestDlg::WriteResultFile()
{
    const std::string& name = m_unattended.options().resultFile;
    if (name.empty() || g_nTestCount.value() == 0)
        return true;
    // A /rate run says how it ended and, for a pass, the rate it proved.
    zorik::ResultEnd end;
    const zorik::RunEnded ended = RunEndedNow();
    if (m_proofRule) {
        end.ended = zorik::runEndedWord(ended);
        end.provenBelow = ended == zorik::RunEnded::Proved ? m_unattended.options().bounds.rate : 0;
    }
    const std::string bytes = zorik::formatResultFile(SummaryNow(), m_diagnosis, end);
    zorik::StdioReportFileSystem files;
    std::unique_ptr<zorik::ReportFile> file = files.create(name);
    if (!file)
        return false;
    const bool written = file->write(bytes.data(), bytes.size());
    return file->close() && written;
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
    if (m_stationRefused)
        return zorik::EXIT_REPORT_NOT_WRITTEN;
    return m_outOfMemoryTold ? zorik::EXIT_OUT_OF_MEMORY : zorik::EXIT_NO_DISAGREEMENT;
}

void CPortTestDlg::StopTestAndWait()
{
    // The worker's control calls are handled on this thread, so the wait
    // keeps handling them; afterwards the worker never touches the dialog.
    g_bTestRunning.stopAndWait(
        [](const std::function<bool()>& workerDone) { WaitHandlingSentMessages(workerDone); });
}
