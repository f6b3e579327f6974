#include "loopback_log.h"

#include "program_texts.h"

#include <utility>

namespace zorik {

TestLog::TestLog() : m_text(kLogInitialText) {}

TestLog::TestLog(std::string initial) : m_text(std::move(initial)) {}

void TestLog::append(const std::string& text)
{
    LockHold hold(m_lock);
    m_text += text;
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
