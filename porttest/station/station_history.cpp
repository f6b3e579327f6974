#include "station_history.h"

#include <set>

namespace zorik {

namespace {

bool readable(const FileResult& result)
{
    return result.done() || result.status == FileStatus::Missing;
}

} // namespace

StationHistory::StationHistory(HistoryFiles& files, std::string name) : m_files(files), m_name(std::move(name)) {}

FileResult StationHistory::load()
{
    std::string history, pending;
    const FileResult read = m_files.readAll(m_name, history);
    if (!readable(read))
        return read;
    // Pending rows that cannot be read now are merged at the next unit.
    if (!readable(m_files.readAll(pendingName(), pending)))
        pending.clear();
    std::set<std::string> seen; // time, station, serial and attempt
    m_rows.clear();
    for (const std::string* bytes : {&history, &pending}) {
        for (const std::string& line : historyLines(*bytes)) {
            HistoryRow row;
            if (!parseHistoryRow(line, row))
                continue;
            std::string key = row.time + ',' + row.station + ',' + row.serial + ',' + std::to_string(row.attempt);
            if (seen.insert(std::move(key)).second)
                m_rows.push_back(std::move(row));
        }
    }
    return read;
}

FileResult StationHistory::appendTo(const std::string& name, const std::string& bytes, bool header)
{
    FileResult result;
    std::unique_ptr<HistoryFile> file = m_files.open(name, result);
    if (!file)
        return result;
    std::string all;
    const std::uint64_t size = file->size();
    if (size == 0 && header) {
        all = kHistoryHeader;
        all += "\r\n";
    } else if (size != 0) {
        char end[2] = {'\r', '\n'};
        const std::size_t count = size >= 2 ? 2 : 1;
        result = file->readEnd(end + 2 - count, count);
        if (!result.done())
            return result;
        if (end[1] != '\n')
            all = "\r\n"; // a torn last line stays one line on its own
    }
    all += bytes;
    return file->appendAndFlush(all);
}

StationHistory::Written StationHistory::append(const HistoryRow& row)
{
    m_rows.push_back(row);
    m_unwritten += formatHistoryRow(row);
    Written written;

    // 1. On the disk first, in the pending file.
    written.pending = appendTo(pendingName(), m_unwritten, false);
    if (written.pending.done())
        m_unwritten.clear();

    // 2. The waiting rows into the history, each once.
    std::string pending;
    const FileResult pendingRead = m_files.readAll(pendingName(), pending);
    if (!readable(pendingRead)) {
        written.history = pendingRead;
        written.place = written.pending.done() ? Place::Pending : Place::Memory;
        return written;
    }
    std::string history;
    written.history = m_files.readAll(m_name, history);
    if (readable(written.history)) {
        const std::vector<std::string> there = historyLines(history);
        const std::set<std::string> present(there.begin(), there.end());
        std::string bytes;
        for (const std::string& line : historyLines(pending + m_unwritten))
            if (present.count(line) == 0)
                bytes += line + "\r\n";
        written.history = appendTo(m_name, bytes, true);
    }
    if (!written.history.done()) {
        written.place = written.pending.done() ? Place::Pending : Place::Memory;
        return written;
    }
    m_unwritten.clear();
    // 3. Gone from the pending file; should it stay, its rows are skipped.
    if (!pending.empty() || written.pending.done())
        m_files.remove(pendingName());
    written.place = Place::History;
    return written;
}

} // namespace zorik
