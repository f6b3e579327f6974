#include "loopback_log.h"

#include "log_box_lines.h"
#include "program_texts.h"

#include <utility>

namespace zorik {

TestLog::TestLog() : m_text(kLogInitialText) {}

TestLog::TestLog(std::string initial) : m_text(std::move(initial)) {}

void TestLog::reset(std::string initial)
{
    LockHold hold(m_lock);
    m_text = std::move(initial);
    m_forBox.clear();
    m_boxDropped = false;
}

void TestLog::append(const std::string& text)
{
    LockHold hold(m_lock);
    m_text += text;
}

bool TestLog::appendLine(const std::string& line, bool onDisk)
{
    LockHold hold(m_lock);
    if (!onDisk)
        m_text += line;
    const bool boxWasIdle = m_forBox.empty();
    m_forBox += line;
    if (m_forBox.size() > LOG_BOX_BUDGET_BYTES) {
        // Whole lines leave, oldest first; the box could not show them.
        std::size_t keepFrom = 0;
        while (m_forBox.size() - keepFrom > LOG_BOX_BUDGET_BYTES) {
            const std::size_t lf = m_forBox.find('\n', keepFrom);
            if (lf == std::string::npos || lf + 1 == m_forBox.size())
                break; // the newest line stays, whatever its length
            keepFrom = lf + 1;
        }
        m_forBox.erase(0, keepFrom);
        m_boxDropped = true;
    }
    return boxWasIdle;
}

std::string TestLog::takeForBox(bool& dropped)
{
    LockHold hold(m_lock);
    dropped = m_boxDropped;
    m_boxDropped = false;
    std::string lines;
    lines.swap(m_forBox);
    return lines;
}

std::string TestLog::head() const
{
    LockHold hold(m_lock);
    return m_text.substr(0, logHeaderLength(m_text));
}

std::string TestLog::text() const
{
    LockHold hold(m_lock);
    return m_text;
}

std::string TestLog::textFrom(std::size_t offset) const
{
    LockHold hold(m_lock);
    return offset < m_text.size() ? m_text.substr(offset) : std::string();
}

std::size_t TestLog::size() const
{
    LockHold hold(m_lock);
    return m_text.size();
}

ReportSnapshot takeReportSnapshot(const TestLog& log, const CycleCounter& counter)
{
    return takeReportSnapshot([&counter] { return counter.value(); }, [&log] { return log.text(); });
}

ReportSnapshot takeReportSnapshot(const std::function<std::uint32_t()>& readCount,
                                  const std::function<std::string()>& readLog)
{
    // A cycle takes hundreds of milliseconds, so a retry is rare and a
    // second one rarer still.
    for (;;) {
        const std::uint32_t before = readCount();
        std::string text = readLog();
        if (readCount() == before)
            return {before, std::move(text)};
    }
}

} // namespace zorik
