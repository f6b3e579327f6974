// The main dialog: input indicators, output switches, the loopback test's
// Test button and log box, and the exit button.
#pragma once

#include "framework/button.h"
#include "framework/dialog.h"
#include "framework/log_box.h"
#include "framework/summary_static.h"
#include "command_line.h"
#include "framework/windows_journal_files.h"
#include "log_listener.h"
#include "diagnosis.h"
#include "local_date_time.h"
#include "loopback_dialog.h"
#include "loopback_log.h"
#include "reading.h"
#include "result_file.h"
#include "run_control.h"
#include "test_journal.h"
#include "unattended_run.h"
#include "proof_rate.h"
#include "station_panel.h"

#include <memory>
#include <optional>

#include "resource.h"

class CPortTestDlg : public CDialog,
                     private zorik::LoopbackDialog,
                     private zorik::TestButtonActions {
public:
    explicit CPortTestDlg(CWnd* pParent = nullptr);
    ~CPortTestDlg() override;

    // The poll timer that keeps the input indicators current while no test
    // runs.
    static constexpr UINT_PTR POLL_TIMER_ID = 10;
    static constexpr UINT POLL_PERIOD_MS = 100;
    // The timer that keeps the summary line current while a test runs and
    // until its worker has finished (the poll timer stops meanwhile).
    static constexpr UINT_PTR SUMMARY_TIMER_ID = 11;
    static constexpr UINT SUMMARY_PERIOD_MS = 250;

    // Before DoModal: the command line's options. With bounds, the test
    // runs by itself within them, then the report is written and the
    // dialog ends (a bounded run).
    void SetRunOptions(const zorik::RunOptions& options);
    // After DoModal: the program's exit code (bounded_run.h).
    int ExitCode() const;

    // The test worker's entry; `parameter` is the dialog.
    static UINT TestThreadEntry(LPVOID parameter);

protected:
    CButton m_btnInput[3];
    CButton m_btnOutput[3];
    zorik::TestLog m_strLog;
    CButton m_btnTest;
    HICON m_hIcon;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The exit button and Enter: the save question, then FinishRun.
    void OnOK() override;
    // Esc and the close box: the exit button's question once a test cycle
    // has run; before that, FinishRun without asking.
    void OnCancel() override;

    void OnPaint();
    HICON OnQueryDragIcon();
    void OnTimer(UINT_PTR nIDEvent);
    void OnOutput0();
    void OnOutput1();
    void OnOutput2();
    void OnTest();
    // Posted by the worker when lines wait for the log box.
    LRESULT OnShowNewLogLines(WPARAM, LPARAM);
    // Sent by the worker when its run is over.
    LRESULT OnMatchOutputsToSwitches(WPARAM, LPARAM);
    // The summary line's verdict colours.
    LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);
    // Posted when the journal fails: tells the operator, once.
    LRESULT OnJournalFailed(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    // The worker appends a line to m_strLog, then posts this message when
    // the box had nothing waiting, so that the log box grows on the UI
    // thread alone (placing the caret at the end and inserting there
    // happen in one piece, whatever the operator does with the box
    // meanwhile) and the worker's cycle never waits for the box. Any
    // program can send WM_APP + 1 (broadcasts of the WM_APP range happen),
    // so the message carries nothing: its handler shows the lines the log
    // has waiting for the box, and a message from elsewhere can neither
    // add a line nor make the program read anything but its own log.
    static constexpr UINT WM_SHOW_NEW_LOG_LINES = WM_APP + 1;

    // Carries nothing either: from anywhere it only writes each output as
    // its switch shows it, as a click on the switch would.
    static constexpr UINT WM_MATCH_OUTPUTS_TO_SWITCHES = WM_APP + 2;

    // Posted, never sent: the worker goes on with its cycle while the
    // operator reads the box. Carries nothing: the notice comes from the
    // journal, which gives it out once.
    static constexpr UINT WM_JOURNAL_FAILED = WM_APP + 3;

    // The log box (IDC_LOG): the log's header and its newest lines.
    CLogBox m_logBox;

    // The summary line (IDC_SUMMARY), below the log box.
    CSummaryStatic m_summary;
    // The diagnosis in words (IDC_FINDINGS), under the summary line.
    CWnd m_findings;
    std::string m_findingsShown;

    // The command line's options; a bounded run when they give bounds.
    zorik::UnattendedRun m_unattended;

    // The journal (test_journal.h) of this run's tests.
    WindowsJournalFiles m_journalFiles;
    zorik::TestJournal m_journal;
    // Keeps the journal when leaving: memory ran out, so it is the record.
    bool m_keepJournal = false;
    bool m_outOfMemoryTold = false;

    // Where each reading goes after the tally (reading.h): the journal,
    // the log, the diagnosis.
    zorik::LogListener m_logListener;
    LocalDateTime m_cycleClock; // when each cycle began, for the diagnosis's since when
    zorik::Diagnosis m_diagnosis{&m_cycleClock};
    zorik::ReadingStream m_readings;

    void WriteOutput(int channel);
    void StopTestAndWait();

    // What leaving came to.
    struct Finished {
        bool reportWritten = true; // or none was asked for
        bool resultWritten = true; // or none was asked for
        bool journalLeft = false;  // kept, or could not be removed
    };
    Finished m_finished;

    // Every way out ends here: stops the worker, so the report holds every
    // line; saves the report as `reportName` unless that is null, then the
    // result file (/result:), each flushed to the disk; then removes the
    // journal, but only when both are on the disk and memory did not run
    // out (kept, the next start recovers it).
    Finished FinishRun(const char* reportName);
    // The exit button's question, then FinishRun; a report that could not
    // be saved is said.
    void AskAndFinishRun();
    // The summary line and the finding line from the tally, the counter
    // and the diagnosis as they stand.
    zorik::SummaryFigures SummaryNow() const;
    void UpdateSummary();
    // /result: the diagnosis as an INI file, once a cycle has run, written
    // whole or not at all; it says how the run ended and the exit code
    // `finished` comes to, and names `journal` when that is left. False
    // when it could not be written.
    bool WriteResultFile(const Finished& finished, const std::string& journal);
    // How the run ended, and the exit code it ends with when leaving came
    // to `finished` (the result file written).
    zorik::RunEnding Ending() const;
    int ExitCodeFor(const Finished& finished) const;
    zorik::BoundedRunEnd BoundedEnd(const Finished& finished) const;

    // On the summary timer: memory ran out in the worker; says so once.
    void CheckOutOfMemory();

    // main_dialog_bounded.cpp
    bool IsBoundedRun() const { return m_unattended.active(); }
    void StartBoundedRun();
    // On the summary timer: ends the run once the worker stopped at its bound.
    void CheckBoundedRunEnd();
    // FinishRun with the report written without asking, then ends the
    // dialog; whoever
    // asked (the bound, Test, the exit button, Esc, the close box) decides
    // nothing but the exit code.
    void EndBoundedRun();

    // /rate: ends the test once the rate is proved or the fault named.
    std::optional<zorik::ProofRule> m_proofRule;

    // main_dialog_station.cpp: station mode (/station), one unit after
    // another; null without /station.
    std::unique_ptr<CStationPanel> m_station;
    bool m_unitEndedEarly = false;
    bool m_stationRefused = false;
    // Rows the history had not taken when the station ended (named in a
    // box): the program ends with 3.
    bool m_stationRowsLeft = false;
    // From OnInitDialog: reads the history and makes the panel; false when
    // the history cannot be read (said in a box; the dialog ends).
    bool OpenStation();
    // Enter in the serial field, or Test between units.
    void StartStationUnit();
    // Test during a unit.
    void StopStationUnitEarly();
    // On the summary timer: the unit's worker has retired.
    void CheckStationUnitEnd();
    void EndStationUnit();
    // The exit button, Esc, the close box during a unit: it ends early and
    // is recorded before the dialog leaves as it always does.
    void EndStationUnitForLeaving();
    // The poll timer, between units: the panel follows the history.
    void StationIdle();
    // Enter anywhere but in the serial field never leaves a station.
    bool StationTakesEnter();
    // The serial field's Enter (CStationPanel::WM_SERIAL_ENTERED).
    LRESULT OnSerialEntered(WPARAM, LPARAM);
    // The line's thread ended a round (CStationPanel::WM_LINE_CHANGED).
    LRESULT OnLineChanged(WPARAM, LPARAM);

    // zorik::LoopbackDialog: called on the worker thread.
    void setOutputIndicator(int channel, int checked) override;
    int outputIndicator(int channel) override;
    void setInputIndicator(int channel, int checked) override;
    int inputIndicator(int channel) override;
    void matchOutputsToSwitches() override;
    void setTestCaption(const std::string& text) override;

    // zorik::TestButtonActions: called on the UI thread.
    bool startWorkerThread() override;
    void killPollTimer() override;
    void setPollTimer() override;
};
