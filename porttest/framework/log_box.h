// The program's log box: an edit control that shows the test log's header
// and its newest whole lines within zorik::LOG_BOX_BUDGET_BYTES (lines
// leave in batches, log_box_lines.h), always ending with the newest line,
// scrolled into view. Only the UI thread touches it.
#pragma once

#include "edit.h"
#include "log_box_lines.h"

#include <string>

class CLogBox : public CEdit {
public:
    explicit CLogBox(std::size_t budget = zorik::LOG_BOX_BUDGET_BYTES,
                     std::size_t trim = zorik::LOG_BOX_TRIM_BYTES)
        : m_lines(budget, trim)
    {
    }

    // Fills the box afresh from the whole log: its header and the newest
    // lines that fit.
    void Show(const std::string& log);

    // Adds one whole line (CR LF at its end) after the newest, first
    // removing the oldest lines after the header when it would pass the
    // budget.
    void AppendLine(const std::string& line);

private:
    zorik::LogBoxLines m_lines;
};
