#include "station_panel.h"

#include "resource.h"
#include "result_file.h"
#include "serial_number.h"
#include "station_texts.h"
#include "station_yield.h"
#include "framework/windows_report_files.h"
#include "whole_file.h"
#include "unit_record.h"
#include "line_sync.h"
#include "line_texts.h"

#ifndef ZORIK_FILE_VERSION
#define ZORIK_FILE_VERSION "0.0.0.0"
#endif

namespace {

// Below the template's lowest control (the finding line ends at 300), in
// dialog units; the dialog grows by kAddedHeight.
constexpr int kTemplateHeight = 305;
constexpr int kAddedHeight = 88;
// With /line the yield line has two more lines: the line's yield, and
// whether its database is away.
constexpr int kLineAddedHeight = 16;

HWND makeControl(HWND dialog, const char* className, const char* text, DWORD style, int id, int x, int y, int cx,
                 int cy, HFONT font, DWORD exStyle = 0)
{
    RECT rect = {x, y, x + cx, y + cy};
    ::MapDialogRect(dialog, &rect);
    HWND control = ::CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                                     rect.right - rect.left, rect.bottom - rect.top, dialog,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (control != nullptr)
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// Whole or not at all, as the result file (whole_file.h).
bool writeFile(const std::string& name, const std::string& bytes)
{
    WindowsReportFiles files;
    return zorik::writeWholeFile(files, name, bytes);
}

std::string localTimeNow()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    std::string text;
    zorik::appendDecimal(text, now.wYear, 4);
    text += '-';
    zorik::appendDecimal(text, now.wMonth, 2);
    text += '-';
    zorik::appendDecimal(text, now.wDay, 2);
    text += ' ';
    zorik::appendDecimal(text, now.wHour, 2);
    text += ':';
    zorik::appendDecimal(text, now.wMinute, 2);
    text += ':';
    zorik::appendDecimal(text, now.wSecond, 2);
    return text;
}

std::string computerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof name;
    return ::GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

// This program among the line's: two programs on one computer (one per
// fixture) are two writers all the same.
std::string pendingOwner(const std::string& computer)
{
    std::string owner = computer.empty() ? std::string("PC") : computer;
    owner += '-';
    zorik::appendDecimal(owner, ::GetCurrentProcessId());
    return owner;
}

// Beside the program, for rows that neither the history nor the pending
// file took at the end: named after the history's full path
// (C_Line_HISTORY.csv.unwritten for C:\Line\HISTORY.csv), so that only a
// station on that very history merges them.
std::string unwrittenBesideProgram(const std::string& history)
{
    char path[MAX_PATH] = "";
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length < sizeof path ? length : 0);
    const std::size_t folderEnd = folder.find_last_of("\\/");
    folder.erase(folderEnd == std::string::npos ? 0 : folderEnd + 1);
    std::string name;
    for (char c : WindowsReportFiles::fullPath(history)) {
        const bool separator = c == '\\' || c == '/' || c == ':';
        if (!separator || (!name.empty() && name.back() != '_'))
            name += separator ? '_' : c;
    }
    return folder + name + ".unwritten";
}

// The serial field's own window procedure, and the one it had before
// (one station per process).
WNDPROC g_fieldProc = nullptr;
HWND g_fieldDialog = nullptr;
bool g_enterPending = false;

LRESULT CALLBACK SerialFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The dialog asks, for each key, whether the field wants it; Enter it
    // does, so that the dialog does not press its default (exit) button.
    if (message == WM_GETDLGCODE && lParam != 0) {
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return ::CallWindowProcA(g_fieldProc, field, message, wParam, lParam) | DLGC_WANTALLKEYS;
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        g_enterPending = true;
        ::PostMessageA(g_fieldDialog, CStationPanel::WM_SERIAL_ENTERED, 0, 0);
        return 0;
    }
    // No beep and no character for the Enter the field kept.
    if (message == WM_CHAR && (wParam == '\r' || wParam == '\n'))
        return 0;
    return ::CallWindowProcA(g_fieldProc, field, message, wParam, lParam);
}

} // namespace

bool CStationPanel::TakeEnter()
{
    const bool entered = g_enterPending;
    g_enterPending = false;
    return entered;
}

CStationPanel::CStationPanel(const zorik::RunOptions& options)
    : m_options(options), m_stationName(computerName()),
      m_history(m_files, options.stationFile, pendingOwner(m_stationName), unwrittenBesideProgram(options.stationFile))
{
    if (!options.lineSource.empty())
        m_line = std::make_unique<CLineLink>(options.lineSource, options.stationFile, pendingOwner(m_stationName));
}

CStationPanel::~CStationPanel()
{
    if (m_bannerFont != nullptr)
        ::DeleteObject(m_bannerFont);
}

bool CStationPanel::Load(std::string& refusal)
{
    // Another station may hold the history for a moment: waited for,
    // before any banner is there to say so.
    const zorik::FileResult read = m_history.load([](unsigned) {});
    if (read.done() || read.status == zorik::FileStatus::Missing) {
        // Rows an earlier run left for the database go first.
        if (m_line)
            m_line->Load();
        return true;
    }
    refusal = zorik::formatHistoryUnreadable(m_history.name(), m_files.describe(read.error));
    return false;
}

void CStationPanel::Create(HWND dialog)
{
    m_dialog = dialog;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
    // The banner in the dialog's face, larger and bold, to be read from
    // across the line.
    LOGFONTA look = {};
    if (font != nullptr && ::GetObjectA(font, sizeof look, &look) == sizeof look) {
        look.lfHeight = look.lfHeight * 3 / 2;
        look.lfWeight = FW_BOLD;
        m_bannerFont = ::CreateFontIndirectA(&look);
    }
    const int lineHeight = m_line ? kLineAddedHeight : 0;
    RECT grow = {0, 0, 0, kAddedHeight + lineHeight};
    ::MapDialogRect(dialog, &grow);
    RECT window;
    ::GetWindowRect(dialog, &window);
    ::SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + grow.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    const int y = kTemplateHeight;
    makeControl(dialog, "STATIC", zorik::kSerialLabel, SS_RIGHT | SS_NOPREFIX, IDC_STATIC, 7, y + 2, 48, 10, font);
    m_field = makeControl(dialog, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, IDC_SERIAL, 58, y, 205, 13, font,
                          WS_EX_CLIENTEDGE);
    ::SendMessageA(m_field, EM_LIMITTEXT, 200, 0);
    if (m_field != nullptr) {
        g_fieldDialog = dialog;
        g_fieldProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(m_field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SerialFieldProc)));
    }
    const std::string damage = DamageText();
    const std::string waiting = damage.empty() ? std::string(zorik::kBannerWaiting) : zorik::kBannerWaiting + ("\r\n" + damage);
    m_bannerText = waiting;
    m_banner.m_hWnd = makeControl(dialog, "STATIC", waiting.c_str(), SS_CENTER | SS_NOPREFIX, IDC_BANNER, 7,
                                  y + 16, 256, 50, m_bannerFont != nullptr ? m_bannerFont : font);
    m_yield = makeControl(dialog, "STATIC", "", SS_LEFT | SS_NOPREFIX, IDC_YIELD, 7, y + 68, 256, 18 + lineHeight, font);
    if (m_line) {
        m_line->Want(Today(), std::string());
        m_line->Start(dialog, WM_LINE_CHANGED);
    }
    ShowYield();
    FocusField();
}

zorik::StationHistory::Waiting CStationPanel::WaitingBanner()
{
    return [this](unsigned waitedMs) {
        ShowBanner(zorik::formatHistoryWait(m_history.name(), waitedMs), zorik::Verdict::Waiting);
        // Painted now: the wait keeps this thread from its messages.
        if (m_banner.m_hWnd != nullptr)
            ::UpdateWindow(m_banner.m_hWnd);
    };
}

std::string CStationPanel::DamageText() const
{
    std::string text;
    for (const zorik::DamagedLines& damage : m_history.damaged()) {
        if (!text.empty())
            text += "\r\n";
        text += zorik::formatDamagedLines(damage);
    }
    return text;
}

void CStationPanel::Idle()
{
    // Another station's rows in the yield line, a few seconds after them.
    const DWORD now = ::GetTickCount();
    if (m_running || m_dialog == nullptr || now - m_lastRefresh < kRefreshMs)
        return;
    m_lastRefresh = now;
    const std::size_t before = m_history.rows().size();
    if (m_history.refresh(false) && m_history.rows().size() != before)
        ShowYield();
}

std::string CStationPanel::End()
{
    const zorik::StationHistory::Left left = m_history.flushAtEnd(WaitingBanner());
    return left.rows.empty() ? std::string() : zorik::formatRowsLeft(m_history.name(), left.rows, left.file, left.text);
}

void CStationPanel::FocusField() const
{
    if (m_field != nullptr)
        ::SetFocus(m_field);
}

std::string CStationPanel::Today() const
{
    return localTimeNow().substr(0, 10);
}

bool CStationPanel::TakeSerial()
{
    if (m_running || m_field == nullptr)
        return false;
    char text[256] = "";
    const int length = ::GetWindowTextA(m_field, text, sizeof text);
    const std::string read(text, length > 0 ? static_cast<std::size_t>(length) : 0);
    ::SetWindowTextA(m_field, "");
    FocusField();
    const std::string refusal = zorik::serialRefusal(read);
    if (!refusal.empty()) {
        ShowBanner(refusal, zorik::Verdict::Waiting);
        return false;
    }
    m_serial = read;
    // Another station may have tested it meanwhile; the row's own attempt
    // is counted again under the hold at the unit's end. With /line the
    // line's rows of this serial are read while it is tested, and count
    // then too.
    m_history.refresh(true, WaitingBanner());
    if (m_line)
        m_line->Want(Today(), m_serial);
    m_attempt = zorik::nextAttempt(CountedRows(m_line ? m_line->State() : zorik::LineState()), m_serial);
    return true;
}

void CStationPanel::UnitStarted(bool started)
{
    m_running = started;
    ::SendMessageA(m_field, EM_SETREADONLY, started ? TRUE : FALSE, 0);
    ShowBanner(started ? zorik::formatTestingBanner(m_serial, m_attempt) : std::string(zorik::kBannerWaiting),
               zorik::Verdict::Waiting);
    FocusField();
}

void CStationPanel::UnitEnded(const zorik::SummaryFigures& figures, const zorik::Diagnosis& diagnosis,
                              zorik::RunEnding ended, const std::string& findingWords,
                              const std::function<bool(const std::string&)>& writeReport)
{
    m_running = false;
    const zorik::LineState line = m_line ? m_line->State() : zorik::LineState();
    const zorik::UnitIdentity unit = {localTimeNow(), m_stationName, m_serial, m_attempt, ZORIK_FILE_VERSION};
    // On the disk (or its pending file) before the banner shows the
    // verdict; its attempt and fixture check counted under the hold, with
    // /line from the line's rows too. The row goes into the line's outbox
    // (on the disk) before the history's files have it, so that a row the
    // history holds never misses the database (line_outbox.h).
    zorik::FileResult lineQueued;
    const std::uint32_t lineAttempt = m_line ? zorik::nextAttempt(CountedRows(line), m_serial) : 0;
    const zorik::StationHistory::Written written = m_history.append(
        zorik::unitRow(unit, figures, diagnosis, ended), WaitingBanner(), lineAttempt,
        [&](const zorik::HistoryRow& made) {
            if (m_line)
                lineQueued = m_line->Add(made);
        });
    const zorik::HistoryRow& row = written.row;
    m_attempt = row.attempt;

    std::string trouble;
    if (!m_options.unitsFolder.empty()) {
        // Serials that differ only in case are two units, and one file
        // name to Windows: the second gets a name of its own.
        const std::string stem = zorik::unitFileStem(m_options.unitsFolder, m_serial, m_attempt,
                                                     [](const std::string& taken) {
                                                         return ::GetFileAttributesA((taken + ".txt").c_str()) !=
                                                                    INVALID_FILE_ATTRIBUTES ||
                                                                ::GetFileAttributesA((taken + ".ini").c_str()) !=
                                                                    INVALID_FILE_ATTRIBUTES;
                                                     });
        const bool report = writeReport(stem + ".txt");
        const bool result = writeFile(
            stem + ".ini", zorik::formatResultFile(figures, diagnosis,
                                                   zorik::unitOutcome(figures, ended, m_options.bounds.rate, report)));
        if (!report || !result)
            trouble = zorik::formatUnitFilesNotWritten(stem + (report ? ".ini" : ".txt"));
    }

    if (written.place != zorik::StationHistory::Place::History) {
        const std::string historyReason = m_files.describe(written.history.error);
        const std::string pendingReason = m_files.describe(written.pending.error);
        if (!trouble.empty())
            trouble += "\r\n";
        trouble += zorik::formatHistoryTrouble(m_history.name(), historyReason, m_history.pendingName(),
                                               pendingReason, written.place == zorik::StationHistory::Place::Pending);
    }
    const std::string damage = DamageText();
    if (!damage.empty())
        trouble += (trouble.empty() ? "" : "\r\n") + damage;
    // The history's rows hold this unit's row now; the line's are merged
    // with them, each row once.
    const std::uint32_t fails = zorik::failCount(CountedRows(line), m_serial);
    if (m_line) {
        if (!lineQueued.done())
            trouble += (trouble.empty() ? "" : "\r\n") + zorik::formatUnitFilesNotWritten(m_line->OutboxName());
        const std::string notice = LineNotice(m_line->State());
        if (!notice.empty())
            trouble += (trouble.empty() ? "" : "\r\n") + notice;
    }
    const zorik::Verdict colour = row.verdict == "PASS"   ? zorik::Verdict::Pass
                                  : row.verdict == "FAIL" ? zorik::Verdict::Fail
                                                          : zorik::Verdict::Waiting;
    ShowBanner(zorik::formatUnitBanner(row, findingWords, fails, trouble), colour);
    ShowYield();
    ::SendMessageA(m_field, EM_SETREADONLY, FALSE, 0);
    ::SetWindowTextA(m_field, "");
    FocusField();
}

void CStationPanel::ShowBanner(const std::string& text, zorik::Verdict verdict)
{
    m_bannerText = text;
    m_bannerVerdict = verdict;
    m_banner.Show(text, verdict);
    // The colours change with the verdict even where the text does not.
    if (m_banner.m_hWnd != nullptr)
        ::InvalidateRect(m_banner.m_hWnd, nullptr, TRUE);
}

std::vector<zorik::HistoryRow> CStationPanel::CountedRows(const zorik::LineState& line) const
{
    if (!line.haveRows)
        return m_history.rows();
    return zorik::mergeLineRows(m_history.rows(), line.rows);
}

std::string CStationPanel::LineNotice(const zorik::LineState& line)
{
    std::string notice;
    if (line.troubles != m_lineTroublesShown && !line.trouble.empty()) {
        m_lineTroublesShown = line.troubles;
        notice = zorik::formatLineTrouble(line.trouble);
    }
    if (!line.connected)
        notice += (notice.empty() ? "" : "\r\n") + zorik::formatLineAway(line.waiting);
    return notice;
}

void CStationPanel::LineChanged()
{
    if (!m_line)
        return;
    ShowYield();
    // The driver's words once, under whatever the banner says now.
    const zorik::LineState line = m_line->State();
    if (line.troubles != m_lineTroublesShown && !line.trouble.empty()) {
        const std::string text = m_bannerText;
        const zorik::Verdict verdict = m_bannerVerdict;
        m_lineTroublesShown = line.troubles;
        ShowBanner(text + "\r\n" + zorik::formatLineTrouble(line.trouble), verdict);
        m_bannerText = text; // shown once: the next banner goes without it
    }
}

void CStationPanel::ShowYield()
{
    if (m_yield == nullptr)
        return;
    if (!m_line) {
        ::SetWindowTextA(m_yield, zorik::formatYieldLine(zorik::stationYield(m_history.rows(), Today(), m_stationName)).c_str());
        return;
    }
    const zorik::LineState line = m_line->State();
    const std::vector<zorik::HistoryRow> rows = CountedRows(line);
    std::string text = zorik::formatYieldLine(zorik::stationYield(rows, Today(), m_stationName));
    text += "\r\n" + zorik::formatLineYieldLine(zorik::lineYield(rows, Today()));
    if (!line.connected)
        text += "\r\n" + zorik::formatLineAway(line.waiting);
    ::SetWindowTextA(m_yield, text.c_str());
}

HBRUSH CStationPanel::Colours(HWND control, HDC dc)
{
    return control != nullptr && control == m_banner.m_hWnd ? m_banner.Colours(dc) : nullptr;
}
