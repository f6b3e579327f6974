#include "test_journal.h"

#include "program_texts.h"

#include <utility>
#include <vector>

namespace zorik {

namespace {

// What the report copies from the journal at a time: small beside a 9x
// PC's memory, large enough that a 70 MB journal takes a thousand reads.
constexpr std::size_t kCopyPieceBytes = 64 * 1024;

// The count header's bytes on the disk, before the log.
constexpr std::uint64_t kHeaderBytes = 35;

} // namespace

TestJournal::TestJournal(const TestLog& log, JournalFileSystem& files, std::function<std::uint32_t()> tickCount)
    : m_log(log), m_files(files), m_tickCount(std::move(tickCount))
{
}

void TestJournal::cycleBegun(std::uint32_t count)
{
    LockHold hold(m_lock);
    const bool wasFailed = m_failed;
    if (!m_begun) {
        m_begun = true;
        create(count);
    } else if (m_file && !m_failed && write(0, toTextMode(formatReportHeader(count)))) {
        m_countUnflushed = true;
    }
    announceIfFailedNow(wasFailed);
}

void TestJournal::reading(const Reading& reading)
{
    if (!reading.disagreement)
        return;
    LockHold hold(m_lock);
    if (!m_file || m_failed)
        return;
    const std::string bytes = toTextMode(
        formatLogLine(reading.cycle, reading.time, reading.channel, reading.lineOutput, reading.lineInput));
    if (write(m_size, bytes)) {
        m_size += bytes.size();
        m_linesUnflushed = true;
    }
    announceIfFailedNow(false);
}

void TestJournal::cycleEnded(std::uint32_t)
{
    LockHold hold(m_lock);
    if (!m_file || m_failed)
        return;
    const std::uint32_t now = m_tickCount ? m_tickCount() : 0;
    const bool countDue = m_countUnflushed && (!m_tickCount || now - m_lastFlushMs >= kCountFlushMs);
    if (m_linesUnflushed || countDue) {
        flush();
        m_lastFlushMs = now;
    }
    announceIfFailedNow(false);
}

bool TestJournal::holdsLines() const
{
    LockHold hold(m_lock);
    return m_file && !m_failed && m_size != 0;
}

bool TestJournal::writeReport(std::uint32_t count, ReportFileSystem& files, const std::string& name)
{
    LockHold hold(m_lock);
    // Nothing intact on the disk: the log holds every line.
    if (!m_file || m_size == 0)
        return saveErrorReport({count, m_log.text()}, files, name);
    std::unique_ptr<ReportFile> report = files.create(name);
    if (!report)
        return false;
    const std::string header = toTextMode(formatReportHeader(count));
    bool written = report->write(header.data(), header.size()) && copyIntactPart(*report);
    if (written) {
        const std::string held = toTextMode(m_log.textFrom(m_logBytesAtStart));
        written = report->write(held.data(), held.size());
    }
    const bool closed = report->close();
    return written && closed;
}

bool TestJournal::copyIntactPart(ReportFile& report)
{
    std::vector<char> piece(kCopyPieceBytes);
    for (std::uint64_t offset = kHeaderBytes; offset < m_size;) {
        const std::size_t size = m_size - offset < kCopyPieceBytes ? static_cast<std::size_t>(m_size - offset)
                                                                   : kCopyPieceBytes;
        if (!m_file->read(offset, piece.data(), size).done() || !report.write(piece.data(), size))
            return false;
        offset += size;
    }
    return true;
}

FileResult TestJournal::finish(bool keep)
{
    LockHold hold(m_lock);
    m_file.reset();
    FileResult removed;
    if (!keep && !m_name.empty())
        removed = m_files.remove(m_name);
    m_finishedName.swap(m_name);
    m_name.clear();
    return removed;
}

void TestJournal::restart()
{
    LockHold hold(m_lock);
    m_file.reset();
    m_name.clear();
    m_size = 0;
    m_logBytesAtStart = 0;
    m_begun = false;
    m_failed = false;
    m_linesUnflushed = false;
    m_countUnflushed = false;
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

std::string TestJournal::removalNotice(const FileResult& result)
{
    return formatJournalNotRemoved(m_finishedName, errorReason(m_files.describe(result.error), result.error));
}

std::string TestJournal::fileName() const
{
    LockHold hold(m_lock);
    return m_file && !m_failed ? m_name : std::string();
}

std::string TestJournal::madeName() const
{
    LockHold hold(m_lock);
    return m_name;
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
    // Only this thread appends lines to the log, so it holds exactly the
    // lines of the cycles before `count`.
    const std::string log = m_log.text();
    const std::string bytes = reportFileBytes({count, log});
    if (write(0, bytes)) {
        m_size = bytes.size();
        m_logBytesAtStart = log.size();
        m_countUnflushed = true;
    }
}

bool TestJournal::write(std::uint64_t offset, const std::string& bytes)
{
    const FileResult result = m_file->write(offset, bytes.data(), bytes.size());
    if (result.done())
        return true;
    fail(m_name, result);
    return false;
}

void TestJournal::flush()
{
    const FileResult flushed = m_file->flush();
    if (!flushed.done()) {
        fail(m_name, flushed);
        return;
    }
    m_linesUnflushed = false;
    m_countUnflushed = false;
}

void TestJournal::announceIfFailedNow(bool wasFailed)
{
    // Called with the lock held; onFailure only posts a message.
    if (m_failed && !wasFailed && onFailure)
        onFailure();
}

void TestJournal::fail(const std::string& name, const FileResult& result)
{
    // The file stays open as far as it got, written no more, until finish
    // removes it: it is ours, and no other program may take it meanwhile.
    if (!m_failed)
        m_failure.emplace(name, result);
    m_failed = true;
}

} // namespace zorik
