#include "test_journal.h"

#include "program_texts.h"
#include "report_file.h"

namespace zorik {

TestJournal::TestJournal(const TestLog& log, JournalFileSystem& files) : m_log(log), m_files(files) {}

void TestJournal::cycleBegun(std::uint32_t count)
{
    bool failedNow = false;
    {
        LockHold hold(m_lock);
        if (!m_begun) {
            m_begun = true;
            create(count);
        } else if (m_file) {
            write(0, toTextMode(formatReportHeader(count)));
        }
        failedNow = announceFailure();
    }
    if (failedNow && onFailure)
        onFailure();
}

void TestJournal::lineLogged(const std::string& line)
{
    bool failedNow = false;
    {
        LockHold hold(m_lock);
        if (!m_file)
            return;
        const std::string bytes = toTextMode(line);
        if (write(m_size, bytes))
            m_size += bytes.size();
        failedNow = announceFailure();
    }
    if (failedNow && onFailure)
        onFailure();
}

void TestJournal::cycleLogged()
{
    bool failedNow = false;
    {
        LockHold hold(m_lock);
        if (!m_file)
            return;
        const FileResult flushed = m_file->flush();
        if (!flushed.done())
            fail(m_name, flushed);
        failedNow = announceFailure();
    }
    if (failedNow && onFailure)
        onFailure();
}

void TestJournal::finish(bool keep)
{
    LockHold hold(m_lock);
    m_file.reset();
    if (!keep && !m_name.empty())
        m_files.remove(m_name);
    m_name.clear();
}

std::optional<std::string> TestJournal::takeFailureNotice()
{
    std::optional<std::pair<std::string, FileResult>> failure;
    {
        LockHold hold(m_lock);
        failure.swap(m_failure);
    }
    if (!failure)
        return std::nullopt;
    const unsigned long error = failure->second.error;
    return formatJournalFailure(failure->first, errorReason(m_files.describe(error), error));
}

std::string TestJournal::fileName() const
{
    LockHold hold(m_lock);
    return m_file ? m_name : std::string();
}

void TestJournal::create(std::uint32_t count)
{
    // Another program's journal, held open or left behind, is never
    // touched: the next name is taken instead.
    FileResult result;
    std::string name;
    for (int number = 1; number <= kJournalNames; ++number) {
        name = journalFileName(number);
        m_file = m_files.create(name, result);
        if (m_file || (result.status != FileStatus::Exists && result.status != FileStatus::InUse))
            break;
    }
    if (!m_file) {
        fail(name, result);
        return;
    }
    m_name = name;
    // Only this thread appends to the log, so it holds exactly the lines
    // of the cycles before `count`.
    const std::string bytes = reportFileBytes({count, m_log.text()});
    if (write(0, bytes))
        m_size = bytes.size();
}

bool TestJournal::write(std::uint64_t offset, const std::string& bytes)
{
    const FileResult result = m_file->write(offset, bytes.data(), bytes.size());
    if (result.done())
        return true;
    fail(m_name, result);
    return false;
}

bool TestJournal::announceFailure()
{
    if (!m_failed || m_announced)
        return false;
    m_announced = true;
    return true;
}

void TestJournal::fail(const std::string& name, const FileResult& result)
{
    // The file stays, as far as it got, until finish removes it: it is ours.
    m_file.reset();
    if (!m_failed)
        m_failure.emplace(name, result);
    m_failed = true;
}

} // namespace zorik
