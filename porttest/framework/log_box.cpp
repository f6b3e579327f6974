#include "log_box.h"

void CLogBox::Show(const std::string& log)
{
    SetLimitText(0);
    const std::size_t header = zorik::logHeaderLength(log);
    ::SetWindowTextA(m_hWnd, log.substr(0, header).c_str());
    m_lines.reset(header, EndPosition());
    // Line by line, so that the box says how many positions each takes.
    std::size_t start = zorik::newestLinesStart(log, m_lines.budget());
    while (start < log.size()) {
        const std::size_t lf = log.find('\n', start);
        const std::size_t end = lf == std::string::npos ? log.size() : lf + 1;
        AppendLine(log.substr(start, end - start));
        start = end;
    }
    SendMessage(EM_SCROLLCARET);
}

void CLogBox::AppendLine(const std::string& line)
{
    const zorik::BoxSpan leaving = m_lines.makeRoom(line.size());
    if (leaving.length != 0)
        RemoveText(static_cast<DWORD>(leaving.start), static_cast<DWORD>(leaving.length));
    const std::size_t end = AppendText(line.c_str());
    const std::size_t before = m_lines.positions();
    m_lines.add(line.size(), end > before ? end - before : 0);
}
