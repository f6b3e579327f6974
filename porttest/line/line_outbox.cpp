#include "line_outbox.h"

namespace zorik {

LineOutbox::LineOutbox(HistoryFiles& files, std::string name) : m_files(files), m_name(std::move(name)) {}

FileResult LineOutbox::load()
{
    std::string bytes;
    const FileResult read = m_files.readAll(m_name, bytes);
    if (!read.done())
        return read;
    LockHold hold(m_lock);
    for (const std::string& line : historyLines(bytes)) {
        HistoryRow row;
        if (parseHistoryRow(line, row))
            m_rows.push_back(row);
    }
    m_fileHoldsRows = !bytes.empty();
    return read;
}

FileResult LineOutbox::add(const HistoryRow& row)
{
    LockHold hold(m_lock);
    m_rows.push_back(row);
    m_unwritten += formatHistoryRow(row);
    FileResult result;
    std::unique_ptr<HistoryFile> file = m_files.open(m_name, result);
    if (!file)
        return result;
    // A torn last line (a write cut short) stays a line of its own.
    std::string bytes;
    if (file->size() != 0) {
        char end = '\n';
        result = file->readEnd(&end, 1);
        if (!result.done())
            return result;
        if (end != '\n')
            bytes = "\r\n";
    }
    bytes += m_unwritten;
    result = file->appendAndFlush(bytes);
    if (result.done()) {
        m_unwritten.clear();
        m_fileHoldsRows = true;
    }
    return result;
}

bool LineOutbox::next(HistoryRow& row)
{
    LockHold hold(m_lock);
    if (m_rows.empty())
        return false;
    row = m_rows.front();
    return true;
}

void LineOutbox::sent()
{
    LockHold hold(m_lock);
    if (!m_rows.empty())
        m_rows.erase(m_rows.begin());
    // Every row the file holds is in the database now; should the removal
    // fail, the next start sends them again and the database keeps one.
    if (!m_rows.empty())
        return;
    m_unwritten.clear(); // in the database: nothing left to keep
    if (m_fileHoldsRows && m_files.remove(m_name).done())
        m_fileHoldsRows = false;
}

std::size_t LineOutbox::waiting()
{
    LockHold hold(m_lock);
    return m_rows.size();
}

} // namespace zorik
