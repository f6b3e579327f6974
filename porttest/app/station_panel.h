// Station mode (/station:HISTORY.csv): the serial field, the banner over
// the last unit and the day's yield line, made below the dialog's own
// controls when the dialog opens (the template stays as it is, so that
// without /station nothing changes), and the history they show.
//
// The dialog runs each unit's test as it runs the Test button's; this
// panel decides what a serial is, what the unit's row says, and where it
// and the unit's files go.
#pragma once

#include "framework/summary_static.h"
#include "framework/wnd.h"
#include "command_line.h"
#include "diagnosis.h"
#include "proof_rate.h"
#include "result_file.h"
#include "station_history.h"
#include "summary_line.h"
#include "windows_history_files.h"
#include "windows_line_link.h"

#include <functional>
#include <memory>
#include <string>

class CStationPanel {
public:
    explicit CStationPanel(const zorik::RunOptions& options);
    ~CStationPanel();
    CStationPanel(const CStationPanel&) = delete;
    CStationPanel& operator=(const CStationPanel&) = delete;

    // Reads the history; false, with the box's text, when it cannot.
    bool Load(std::string& refusal);
    // Makes the controls under the dialog's and makes the dialog taller;
    // the serial field takes the focus.
    void Create(HWND dialog);

    HWND SerialField() const { return m_field; }
    bool UnitRunning() const { return m_running; }

    // Enter in the serial field never reaches the dialog's exit button:
    // the field keeps the key and posts the dialog this message instead.
    // It carries nothing; TakeEnter says whether it came from the field.
    static constexpr UINT WM_SERIAL_ENTERED = WM_APP + 4;
    bool TakeEnter();

    // /line: the line's thread posts this after each round. It carries
    // nothing: the panel reads the line's state and shows it.
    static constexpr UINT WM_LINE_CHANGED = WM_APP + 5;
    void LineChanged();

    // Enter in the field, or Test between units: true when the field holds
    // a serial (the unit may start); otherwise the banner says why not.
    // The field is cleared either way, ready for the next scan.
    bool TakeSerial();
    // The unit's test has started (or could not: `started` false).
    void UnitStarted(bool started);

    // The unit's test is over: its row, files and banner. `writeReport`
    // writes the unit's report to the name given (false on failure);
    // `findingWords` is the finding line's text.
    void UnitEnded(const zorik::SummaryFigures& figures, const zorik::Diagnosis& diagnosis, zorik::RunEnding ended,
                   const std::string& findingWords, const std::function<bool(const std::string&)>& writeReport);

    // Between units (the poll timer): the yield line follows the other
    // stations' rows, the history read again every few seconds when it
    // has grown.
    void Idle();
    // Leaving: rows not yet in the history get one more try; the box's
    // text naming those still left and where they are, or empty.
    std::string End();

    // WM_CTLCOLORSTATIC for the banner: its verdict's colours; nullptr
    // for any other control.
    HBRUSH Colours(HWND control, HDC dc);

private:
    void ShowBanner(const std::string& text, zorik::Verdict verdict);
    zorik::StationHistory::Waiting WaitingBanner();
    std::string DamageText() const;
    void ShowYield();
    // The rows attempts, repair and yield count: the history's, and with
    // /line the line's rows read for today and this serial as well.
    std::vector<zorik::HistoryRow> CountedRows(const zorik::LineState& line) const;
    // With /line: the driver's message not shown yet, and whether the
    // database is away, as lines for the banner.
    std::string LineNotice(const zorik::LineState& line);
    void FocusField() const;
    std::string Today() const;

    static constexpr DWORD kRefreshMs = 2000;

    zorik::RunOptions m_options;
    WindowsHistoryFiles m_files;
    std::string m_stationName;
    zorik::StationHistory m_history;
    DWORD m_lastRefresh = 0;

    HWND m_dialog = nullptr;
    HWND m_field = nullptr;
    HWND m_yield = nullptr;
    CSummaryStatic m_banner;
    HFONT m_bannerFont = nullptr;

    // /line: null without it.
    std::unique_ptr<CLineLink> m_line;
    std::uint32_t m_lineTroublesShown = 0;
    std::string m_bannerText;
    zorik::Verdict m_bannerVerdict = zorik::Verdict::Waiting;

    bool m_running = false;
    std::string m_serial;
    std::uint32_t m_attempt = 0;
};
