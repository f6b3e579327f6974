#include "line_outbox.h"

namespace zorik {

LineOutbox::LineOutbox(HistoryFiles& files, const std::string& history, const std::string& owner)
    : m_files(files), m_history(history), m_name(history + '.' + owner + ".line")
{
}

LineOutbox::~LineOutbox()
{
    LockHold hold(m_lock);
    if (m_file == nullptr)
        return;
    const bool empty = m_rows.empty() && m_file->size() == 0;
    m_file.reset();
    // Rows still waiting stay for the next start.
    if (empty)
        m_files.remove(m_name);
}

FileResult LineOutbox::write(const std::string& bytes)
{
    FileResult result;
    if (m_file == nullptr) {
        m_file = m_files.open(m_name, HistoryOpen::Own, result);
        if (m_file == nullptr)
            return result;
    }
    // A torn last line (a write cut short) stays a line of its own.
    std::string all;
    if (m_file->size() != 0) {
        char end = '\n';
        result = m_file->readEnd(&end, 1);
        if (!result.done())
            return result;
        if (end != '\n')
            all = "\r\n";
    }
    all += bytes;
    return m_file->appendAndFlush(all);
}

void LineOutbox::load()
{
    LockHold hold(m_lock);
    for (const std::string& left : m_files.startingWith(m_history + '.', ".line")) {
        if (left == m_name)
            continue;
        FileResult result;
        std::unique_ptr<HistoryFile> file = m_files.open(left, HistoryOpen::Take, result);
        std::string bytes;
        if (file == nullptr || !file->readAll(bytes).done())
            continue; // a live program's, or unreadable now
        std::string rows;
        for (const std::string& line : historyLines(bytes)) {
            HistoryRow row;
            if (parseHistoryRow(line, row)) {
                m_rows.push_back(row);
                rows += formatHistoryRow(row);
            }
        }
        // In this program's file before the left one goes; should the
        // removal fail, its rows are sent twice and kept once.
        if (!rows.empty() && !write(rows).done())
            m_unwritten += rows;
        file.reset();
        m_files.remove(left);
    }
}

FileResult LineOutbox::add(const HistoryRow& row)
{
    LockHold hold(m_lock);
    m_rows.push_back(row);
    m_unwritten += formatHistoryRow(row);
    const FileResult result = write(m_unwritten);
    if (result.done())
        m_unwritten.clear();
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
    if (!m_rows.empty())
        return;
    // Every row the file holds is in the database now; should emptying it
    // fail, the next start sends them again and the database keeps one.
    m_unwritten.clear();
    if (m_file != nullptr && m_file->size() != 0)
        m_file->clear();
}

std::size_t LineOutbox::waiting()
{
    LockHold hold(m_lock);
    return m_rows.size();
}

} // namespace zorik
