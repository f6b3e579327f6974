// The dialog's summary line: a static control whose text the program sets
// and whose colours say the verdict, green for a pass and red for a fail,
// white text on both (the dialog's own colours while nothing has run).
// The dialog answers WM_CTLCOLORSTATIC for it with Colours().
#pragma once

#include "summary_line.h"
#include "wnd.h"

#include <string>

class CSummaryStatic : public CWnd {
public:
    CSummaryStatic() = default;
    ~CSummaryStatic() override;
    CSummaryStatic(const CSummaryStatic&) = delete;
    CSummaryStatic& operator=(const CSummaryStatic&) = delete;

    // Sets the text when it changed; a changed text repaints the control,
    // and with it its colours.
    void Show(const std::string& text, zorik::Verdict verdict);

    // Prepares `dc` for the verdict's colours and returns the background
    // brush; nullptr: the dialog's own colours.
    HBRUSH Colours(HDC dc);

private:
    std::string m_text;
    zorik::Verdict m_verdict = zorik::Verdict::Waiting;
    HBRUSH m_brushes[2] = {nullptr, nullptr}; // pass, fail; made on first use
};
