#include "station_history.h"

#include "station_yield.h"

#include <set>

namespace zorik {

namespace {

bool readable(const FileResult& result)
{
    return result.done() || result.status == FileStatus::Missing;
}

std::string rowKey(const HistoryRow& row)
{
    return row.time + ',' + row.station + ',' + row.serial + ',' + std::to_string(row.attempt);
}

// The lines named when a file has damaged ones: the first few are enough
// to find them.
constexpr std::size_t kLinesNamed = 5;

// `bytes` with a CR LF first when the file's last line is torn (`end`:
// its last two bytes or fewer), and the header first in an empty history.
FileResult appendTo(HistoryFile& file, const std::string& bytes, bool header)
{
    std::string all;
    const std::uint64_t size = file.size();
    if (size == 0 && header) {
        all = kHistoryHeader;
        all += "\r\n";
    } else if (size != 0) {
        char end[2] = {'\r', '\n'};
        const std::size_t count = size >= 2 ? 2 : 1;
        const FileResult read = file.readEnd(end + 2 - count, count);
        if (!read.done())
            return read;
        if (end[1] != '\n')
            all = "\r\n"; // a torn last line stays one line on its own
    }
    all += bytes;
    return file.appendAndFlush(all);
}

} // namespace

StationHistory::StationHistory(HistoryFiles& files, std::string name, std::string owner, std::string unwrittenName)
    : m_files(files), m_name(std::move(name)), m_owner(std::move(owner)), m_unwrittenName(std::move(unwrittenName))
{
}

StationHistory::~StationHistory()
{
    // An empty pending file says nothing: gone with its program. One with
    // rows stays for the next merge.
    if (m_pending && m_pending->size() == 0) {
        m_pending.reset();
        m_files.remove(pendingName());
    }
}

FileResult StationHistory::readShared(const std::string& name, std::string& bytes, const Waiting& waiting)
{
    FileResult read = m_files.readAll(name, bytes);
    // A station holding the history holds it for a few milliseconds.
    // Without `waiting` (a look between units) nothing is waited for.
    for (unsigned waited = 0; read.status == FileStatus::InUse && waiting && waited < kHoldWaitMs;
         waited += kHoldPauseMs) {
        waiting(waited + kHoldPauseMs);
        m_files.pause(kHoldPauseMs);
        read = m_files.readAll(name, bytes);
    }
    return read;
}

std::vector<std::string> StationHistory::otherPendingNames()
{
    std::vector<std::string> names = m_files.startingWith(m_name + '.', ".pending");
    std::vector<std::string> others;
    const std::string own = pendingName();
    bool shared = false;
    for (std::string& name : names) {
        shared = shared || name == sharedPendingName();
        if (name != own)
            others.push_back(std::move(name));
    }
    if (!shared)
        others.push_back(sharedPendingName());
    if (!m_unwrittenName.empty())
        others.push_back(m_unwrittenName);
    return others;
}

void StationHistory::readRows(const std::string& history, bool withPending)
{
    std::set<std::string> seen;
    m_rows.clear();
    m_damaged.clear();
    const auto take = [&](const std::string& file, const std::string& bytes) {
        DamagedLines damage;
        damage.file = file;
        std::uint64_t number = 0;
        for (const std::string& line : historyLines(bytes)) {
            ++number;
            HistoryRow row;
            if (parseHistoryRow(line, row)) {
                if (seen.insert(rowKey(row)).second)
                    m_rows.push_back(std::move(row));
            } else if (!line.empty() && line != kHistoryHeader) {
                ++damage.count;
                if (damage.lines.size() < kLinesNamed)
                    damage.lines.push_back(number);
            }
        }
        if (damage.count != 0)
            m_damaged.push_back(std::move(damage));
    };
    take(m_name, history);
    if (!withPending)
        return;
    std::vector<std::string> pending = otherPendingNames();
    pending.insert(pending.begin(), pendingName());
    for (const std::string& name : pending) {
        std::string bytes;
        // One that cannot be read now is read at the next unit.
        if (m_files.readAll(name, bytes).done())
            take(name, bytes);
    }
    // Rows held in memory count as well.
    take("", m_unwritten);
}

FileResult StationHistory::load(const Waiting& waiting)
{
    std::string history;
    const FileResult read = readShared(m_name, history, waiting);
    if (!readable(read))
        return read;
    m_sizeRead = history.size();
    readRows(history, true);
    return read;
}

bool StationHistory::refresh(bool always, const Waiting& waiting)
{
    std::uint64_t size = 0;
    if (!always && m_files.sizeOf(m_name, size).done() && size == m_sizeRead)
        return true;
    return readable(load(waiting));
}

std::unique_ptr<HistoryFile> StationHistory::holdHistory(FileResult& result, const Waiting& waiting)
{
    std::unique_ptr<HistoryFile> held = m_files.open(m_name, HistoryOpen::Hold, result);
    for (unsigned waited = 0; !held && result.status == FileStatus::InUse && waited < kHoldWaitMs;
         waited += kHoldPauseMs) {
        if (waiting)
            waiting(waited + kHoldPauseMs);
        m_files.pause(kHoldPauseMs);
        held = m_files.open(m_name, HistoryOpen::Hold, result);
    }
    return held;
}

bool StationHistory::ownPendingOpen(FileResult& result)
{
    if (!m_pending)
        m_pending = m_files.open(pendingName(), HistoryOpen::Own, result);
    return m_pending != nullptr;
}

FileResult StationHistory::merge(HistoryFile& history, const std::string& historyBytes)
{
    // The waiting lines, oldest first, each once; the history's lines are
    // then looked up among them (few), not the other way round.
    std::vector<std::string> waiting;
    std::set<std::string> seen;
    const auto add = [&](const std::string& from) {
        for (std::string& line : historyLines(from))
            if (!line.empty() && seen.insert(line).second)
                waiting.push_back(std::move(line));
    };
    // Left by programs that have ended (nobody has them open): older than
    // this program's rows still waiting.
    struct Taken {
        std::string name;
        std::unique_ptr<HistoryFile> file;
    };
    std::vector<Taken> taken;
    for (const std::string& name : otherPendingNames()) {
        FileResult opened;
        std::unique_ptr<HistoryFile> file = m_files.open(name, HistoryOpen::Take, opened);
        std::string left;
        if (file && file->readAll(left).done()) {
            add(left);
            taken.push_back({name, std::move(file)});
        }
    }
    if (m_pending) {
        std::string own;
        const FileResult read = m_pending->readAll(own);
        if (!read.done())
            return read;
        add(own);
    }
    add(m_unwritten);
    std::set<std::string> present;
    if (!waiting.empty())
        for (std::string& line : historyLines(historyBytes))
            if (seen.count(line) != 0)
                present.insert(std::move(line));
    std::string bytes;
    for (const std::string& line : waiting)
        if (present.count(line) == 0)
            bytes += line + "\r\n";
    const FileResult written = bytes.empty() ? FileResult{} : appendTo(history, bytes, true);
    if (!written.done())
        return written;
    m_unwritten.clear();
    m_sizeRead = history.size();
    // Should emptying fail, the next merge skips the rows already there.
    if (m_pending)
        m_pending->clear();
    for (Taken& left : taken) {
        left.file.reset();
        m_files.remove(left.name);
    }
    return written;
}

StationHistory::Written StationHistory::append(HistoryRow row, const Waiting& waiting, std::uint32_t fewestAttempt,
                                               const std::function<void(const HistoryRow&)>& made)
{
    Written written;
    std::string historyBytes;
    std::unique_ptr<HistoryFile> held = holdHistory(written.history, waiting);
    if (held) {
        written.history = held->readAll(historyBytes);
        if (written.history.done()) {
            m_sizeRead = historyBytes.size();
            readRows(historyBytes, true);
        } else {
            held.reset();
        }
    }
    // Without the hold, counted from the rows last read.
    row.attempt = nextAttempt(m_rows, row.serial);
    if (row.attempt < fewestAttempt)
        row.attempt = fewestAttempt;
    row.fixtureSuspect = fixtureSuspect(m_rows, row);
    written.row = row;
    if (made)
        made(row);
    m_rows.push_back(row);
    m_unwritten += formatHistoryRow(row);

    // 1. On the disk first, in the own pending file.
    if (ownPendingOpen(written.pending))
        written.pending = appendTo(*m_pending, m_unwritten, false); // a torn end (a power cut) ended first
    if (written.pending.done())
        m_unwritten.clear();

    // 2. and 3. Every waiting row into the history, each once.
    if (held)
        written.history = merge(*held, historyBytes);
    written.place = written.history.done() ? Place::History
                    : written.pending.done() ? Place::Pending
                                             : Place::Memory;
    return written;
}

StationHistory::Left StationHistory::flushAtEnd(const Waiting& waiting)
{
    Left left;
    FileResult result;
    std::unique_ptr<HistoryFile> held = holdHistory(result, waiting);
    std::string historyBytes;
    if (held && held->readAll(historyBytes).done())
        merge(*held, historyBytes);
    held.reset();

    std::string waitingRows = m_unwritten;
    if (m_pending) {
        std::string own;
        if (m_pending->readAll(own).done())
            waitingRows = own + waitingRows;
    }
    for (const std::string& line : historyLines(waitingRows)) {
        HistoryRow row;
        if (parseHistoryRow(line, row))
            left.rows.push_back(row);
    }
    if (m_unwritten.empty()) {
        if (!left.rows.empty())
            left.file = pendingName();
        return left;
    }
    // Only in memory: beside the program, where the next start takes them.
    FileResult opened;
    std::unique_ptr<HistoryFile> unwritten =
        m_unwrittenName.empty() ? nullptr : m_files.open(m_unwrittenName, HistoryOpen::Hold, opened);
    if (unwritten && appendTo(*unwritten, m_unwritten, false).done()) {
        // Rows in the pending file and beside the program: both named.
        left.file = waitingRows.size() == m_unwritten.size() ? m_unwrittenName
                                                             : pendingName() + ", " + m_unwrittenName;
        m_unwritten.clear();
        return left;
    }
    left.text = m_unwritten;
    left.file = waitingRows.size() == m_unwritten.size() ? std::string() : pendingName();
    return left;
}

} // namespace zorik
