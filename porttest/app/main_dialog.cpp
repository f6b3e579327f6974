// The main dialog: construction, data exchange, initialisation, input
// polling, output switches and the minimised icon.
#include "main_dialog.h"

#include "ZorikApi.h"
#include "framework/data_exchange.h"
#include "framework/paint_dc.h"
#include "framework/win_app.h"
#include "loopback_globals.h"
#include "program_texts.h"
#include "finding_line.h"
#include "summary_line.h"

BEGIN_MESSAGE_MAP(CPortTestDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_OUTPUT0, OnOutput0)
    ON_BN_CLICKED(IDC_OUTPUT1, OnOutput1)
    ON_BN_CLICKED(IDC_OUTPUT2, OnOutput2)
    ON_BN_CLICKED(IDC_TEST, OnTest)
    ON_WM_TIMER()
    ON_MESSAGE(WM_SHOW_NEW_LOG_LINES, OnShowNewLogLines)
    ON_MESSAGE(WM_MATCH_OUTPUTS_TO_SWITCHES, OnMatchOutputsToSwitches)
    ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColorStatic)
    ON_MESSAGE(WM_JOURNAL_FAILED, OnJournalFailed)
    ON_MESSAGE(CStationPanel::WM_SERIAL_ENTERED, OnSerialEntered)
    ON_MESSAGE(CStationPanel::WM_LINE_CHANGED, OnLineChanged)
END_MESSAGE_MAP()

CPortTestDlg::CPortTestDlg(CWnd* pParent)
    : CDialog(IDD_PORTTEST_DIALOG, pParent),
      m_strLog(zorik::kLogInitialText),
      m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)),
      m_journal(m_strLog, m_journalFiles, [] { return static_cast<std::uint32_t>(::GetTickCount()); }),
      m_logListener(m_strLog, &m_journal, [this] { ::PostMessageA(m_hWnd, WM_SHOW_NEW_LOG_LINES, 0, 0); })
{
    m_journal.onFailure = [this] { ::PostMessageA(m_hWnd, WM_JOURNAL_FAILED, 0, 0); };
    // The journal first: the log holds a line only where the journal could
    // not take it.
    m_readings.add(m_journal);
    m_readings.add(m_logListener);
    m_readings.add(m_diagnosis);
}

CPortTestDlg::~CPortTestDlg() = default;

void CPortTestDlg::SetRunOptions(const zorik::RunOptions& options)
{
    m_unattended.setOptions(options);
    if (options.bounds.rate != 0)
        m_proofRule.emplace(options.bounds.rate, m_diagnosis);
}

void CPortTestDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_INPUT2, m_btnInput[2]);
    DDX_Control(pDX, IDC_INPUT1, m_btnInput[1]);
    DDX_Control(pDX, IDC_INPUT0, m_btnInput[0]);
    DDX_Control(pDX, IDC_OUTPUT2, m_btnOutput[2]);
    DDX_Control(pDX, IDC_OUTPUT1, m_btnOutput[1]);
    DDX_Control(pDX, IDC_OUTPUT0, m_btnOutput[0]);
    // The log box is a read-only view of the log, which only grows: going
    // out it receives the log's header and its newest lines (the report
    // holds them all); coming back there is nothing to take.
    DDX_Control(pDX, IDC_LOG, m_logBox);
    if (!pDX->m_bSaveAndValidate)
        m_logBox.Show(m_strLog.text());
    DDX_Control(pDX, IDC_TEST, m_btnTest);
    DDX_Control(pDX, IDC_SUMMARY, m_summary);
    DDX_Control(pDX, IDC_FINDINGS, m_findings);
}

BOOL CPortTestDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    m_strLog.append(zorik::formatLogHeader());
    UpdateData(FALSE);

    if (Zorik_Open(1) != 1) {
        // A bounded run has nobody to answer a box of its own, and no test
        // can tell anything without the port: it ends here, writing nothing.
        if (IsBoundedRun()) {
            m_unattended.endWithoutTest(zorik::EXIT_PORT_NOT_OPENED);
            EndDialog(IDCANCEL);
            return TRUE;
        }
        AfxMessageBox("Cannot Find Port", MB_OK);
    }

    SetTimer(POLL_TIMER_ID, POLL_PERIOD_MS, nullptr);
    UpdateSummary();
    if (IsBoundedRun())
        StartBoundedRun();
    // A station's serial field has the focus: the system must not move it.
    if (m_unattended.station())
        return OpenStation() ? FALSE : TRUE;
    return TRUE;
}

zorik::SummaryFigures CPortTestDlg::SummaryNow() const
{
    zorik::SummaryFigures figures;
    figures.cycles = g_nTestCount.value();
    for (int channel = 0; channel < 3; ++channel)
        figures.disagreements[channel] = g_testTally.disagreements(channel);
    figures.testingSeconds = g_testTally.testingMilliseconds(::GetTickCount()) / 1000;
    return figures;
}

void CPortTestDlg::UpdateSummary()
{
    const zorik::SummaryFigures figures = SummaryNow();
    m_summary.Show(zorik::formatSummary(figures), zorik::verdictOf(figures));
    // Set only when it changes: a static repaints on every new text.
    std::string findings = zorik::formatFindingLine(m_diagnosis);
    if (findings != m_findingsShown && m_findings.m_hWnd != nullptr) {
        m_findingsShown.swap(findings);
        ::SetWindowTextA(m_findings.m_hWnd, m_findingsShown.c_str());
    }
}

LRESULT CPortTestDlg::OnCtlColorStatic(WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(lParam) == m_summary.m_hWnd) {
        if (HBRUSH brush = m_summary.Colours(reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
    }
    if (m_station) {
        if (HBRUSH brush = m_station->Colours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
    }
    Default();
    return 0;
}

void CPortTestDlg::OnTimer(UINT_PTR nIDEvent)
{
    // The summary's own timer; every other one polls the inputs. It runs
    // from a Test press until the worker has retired, so that the line ends
    // on the figures of the finished cycle and an idle dialog does no more
    // work than before.
    if (nIDEvent == SUMMARY_TIMER_ID) {
        // Asked first: a worker that has retired has counted everything.
        const bool workerDone = !g_bTestRunning.workerActive();
        UpdateSummary();
        // Should a posted message have been lost (a full queue), the box
        // catches up here.
        OnShowNewLogLines(0, 0);
        if (workerDone)
            KillTimer(SUMMARY_TIMER_ID);
        CheckOutOfMemory();
        CheckBoundedRunEnd();
        CheckStationUnitEnd();
        return;
    }
    for (int channel = 0; channel < 3; ++channel)
        m_btnInput[channel].SetCheck(Zorik_Read(channel) != 0 ? 1 : 0);
    StationIdle();
    Default();
}

void CPortTestDlg::WriteOutput(int channel)
{
    Zorik_Write(channel, m_btnOutput[channel].GetCheck() == 1 ? 1 : 0);
}

void CPortTestDlg::OnOutput0()
{
    WriteOutput(0);
}

void CPortTestDlg::OnOutput1()
{
    WriteOutput(1);
}

void CPortTestDlg::OnOutput2()
{
    WriteOutput(2);
}

void CPortTestDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HICON CPortTestDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

LRESULT CPortTestDlg::OnShowNewLogLines(WPARAM, LPARAM)
{
    // The log takes whole lines only, so what waits for the box is whole
    // lines. When more waited than the box shows, it starts again from the
    // head with the newest of them.
    bool dropped = false;
    const std::string added = m_strLog.takeForBox(dropped);
    if (dropped) {
        m_logBox.Show(m_strLog.head() + added);
        return 0;
    }
    for (std::size_t start = 0; start < added.size();) {
        const std::size_t lf = added.find('\n', start);
        const std::size_t end = lf == std::string::npos ? added.size() : lf + 1;
        m_logBox.AppendLine(added.substr(start, end - start));
        start = end;
    }
    return 0;
}
