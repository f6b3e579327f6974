#include "log_box_lines.h"

namespace zorik {

std::size_t logHeaderLength(const std::string& log)
{
    const std::size_t emptyLine = log.find("\r\n\r\n");
    return emptyLine == std::string::npos ? log.size() : emptyLine + 4;
}

std::size_t newestLinesStart(const std::string& log, std::size_t budget)
{
    const std::size_t header = logHeaderLength(log);
    const std::size_t room = budget > header ? budget - header : 0;
    // Walk back from the end one line at a time. The line that ends at
    // `start` begins after the LF before its own last byte; the newest line
    // is kept even when it alone is over the budget.
    std::size_t start = log.size();
    while (start > header) {
        const std::size_t lf = start - 1 > header ? log.rfind('\n', start - 2) : std::string::npos;
        const std::size_t lineStart = lf == std::string::npos || lf < header ? header : lf + 1;
        if (log.size() - lineStart > room && start != log.size())
            break;
        start = lineStart;
    }
    return start;
}

LogBoxLines::LogBoxLines(std::size_t budget, std::size_t trim)
    : m_budget(budget), m_trimmedTo(budget > trim ? budget - trim : 0)
{
}

void LogBoxLines::reset(std::size_t bytes, std::size_t positions)
{
    m_headerBytes = bytes;
    m_headerPositions = positions;
    m_lineBytes = 0;
    m_linePositions = 0;
    m_lines.clear();
}

BoxSpan LogBoxLines::makeRoom(std::size_t bytes)
{
    BoxSpan span{m_headerPositions, 0};
    if (bytes + this->bytes() <= m_budget)
        return span;
    while (!m_lines.empty() && bytes + this->bytes() > m_trimmedTo) {
        const Line& oldest = m_lines.front();
        span.length += oldest.positions;
        m_lineBytes -= oldest.bytes;
        m_linePositions -= oldest.positions;
        m_lines.pop_front();
    }
    return span;
}

void LogBoxLines::add(std::size_t bytes, std::size_t positions)
{
    m_lines.push_back({bytes, positions});
    m_lineBytes += bytes;
    m_linePositions += positions;
}

} // namespace zorik
