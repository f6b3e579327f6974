#include "line_sync.h"

#include "line_sql.h"

#include <set>

namespace zorik {

namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = lower(c);
    return text;
}

// Every `what` in `text` (ASCII letters in any case) replaced by `with`.
void replaceAll(std::string& text, const std::string& what, const std::string& with)
{
    if (what.empty())
        return;
    const std::string needle = lowered(what);
    std::string folded = lowered(text);
    for (std::size_t at = folded.find(needle); at != std::string::npos; at = folded.find(needle, at + with.size())) {
        text.replace(at, what.size(), with);
        folded.replace(at, what.size(), with);
    }
}

bool isSecretKey(const std::string& key)
{
    const std::string name = lowered(key);
    return name == "pwd" || name == "password";
}

// "KEY=value;" pairs of a connection string ({} may hold a ";"); in a
// message (`message`) a blank ends a value too.
std::vector<std::pair<std::string, std::string>> connectionPairs(const std::string& text, bool message)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t equals = text.find('=', i);
        if (equals == std::string::npos)
            break;
        // The key is the word before the "=" (a message has words before it).
        std::string key = text.substr(i, equals - i);
        const std::size_t wordStart = key.find_last_of(" ;[(\"'");
        if (wordStart != std::string::npos)
            key.erase(0, wordStart + 1);
        std::size_t end = equals + 1;
        if (end < text.size() && text[end] == '{') {
            const std::size_t close = text.find('}', end);
            end = close == std::string::npos ? text.size() : close + 1;
        }
        end = text.find_first_of(message ? "; " : ";", end);
        if (end == std::string::npos)
            end = text.size();
        pairs.emplace_back(key, text.substr(equals + 1, end - equals - 1));
        i = end + 1;
    }
    return pairs;
}

std::string rowKey(const HistoryRow& row)
{
    return row.time + ',' + row.station + ',' + row.serial + ',' + std::to_string(row.attempt);
}

} // namespace

std::string scrubSource(const std::string& message, const std::string& source)
{
    std::string text = message;
    if (source.find('=') != std::string::npos)
        replaceAll(text, source, "(connection string)");
    // The password of the source, wherever the driver repeats it, and any
    // password the driver's own words carry.
    std::vector<std::pair<std::string, std::string>> pairs = connectionPairs(source, false);
    for (const auto& pair : pairs)
        if (isSecretKey(pair.first) && !pair.second.empty())
            replaceAll(text, pair.second, "***");
    for (const auto& pair : connectionPairs(text, true))
        if (isSecretKey(pair.first) && !pair.second.empty() && pair.second != "***")
            replaceAll(text, pair.first + "=" + pair.second, pair.first + "=***");
    return text;
}

std::vector<HistoryRow> mergeLineRows(const std::vector<HistoryRow>& local, const std::vector<HistoryRow>& line)
{
    std::vector<const HistoryRow*> order;
    std::set<std::string> seen;
    for (const std::vector<HistoryRow>* rows : {&line, &local})
        for (const HistoryRow& row : *rows)
            if (seen.insert(rowKey(row)).second)
                order.push_back(&row);
    // By time, stable: both lists come nearly in order already, so an
    // insertion sort does little work (and keeps the program small).
    for (std::size_t i = 1; i < order.size(); ++i) {
        const HistoryRow* row = order[i];
        std::size_t j = i;
        for (; j > 0 && row->time < order[j - 1]->time; --j)
            order[j] = order[j - 1];
        order[j] = row;
    }
    std::vector<HistoryRow> all;
    all.reserve(order.size());
    for (const HistoryRow* row : order)
        all.push_back(*row);
    return all;
}

LineSync::LineSync(LineDatabase& database, LineOutbox& outbox, std::string source)
    : m_database(database), m_outbox(outbox), m_source(std::move(source))
{
}

void LineSync::want(const std::string& day, const std::string& serial)
{
    LockHold hold(m_lock);
    m_day = day;
    m_serial = serial;
}

LineState LineSync::state()
{
    LockHold hold(m_lock);
    LineState state = m_state;
    state.waiting = m_outbox.waiting();
    return state;
}

bool LineSync::fail(const LineAnswer& answer)
{
    if (m_database.connected()) {
        m_database.finish(false);
        m_database.disconnect();
    }
    m_objectsChecked = false;
    if (m_quiet)
        return false;
    std::string words = answer.message;
    if (!answer.state.empty())
        words = "[" + answer.state + "] " + words;
    words = scrubSource(words, m_source);
    LockHold hold(m_lock);
    // The same words again, with no row sent meanwhile, are no news:
    // shown once.
    if (words != m_state.trouble || m_sentSinceTrouble)
        ++m_state.troubles;
    m_sentSinceTrouble = false;
    m_state.connected = false;
    m_state.trouble = words;
    return false;
}

bool LineSync::makeAbsentObjects()
{
    const LineAnswer present = m_database.execute(kLineListObjects, {});
    if (!present.ok)
        return fail(present);
    std::set<std::string> there;
    for (const auto& columns : present.rows)
        if (!columns.empty())
            there.insert(columns[0]);
    for (const LineObject& object : kLineObjects) {
        if (there.count(object.name) != 0)
            continue;
        for (const char* statement : object.statements) {
            if (statement == nullptr)
                break;
            const LineAnswer made = m_database.execute(statement, {});
            if (!made.ok)
                return fail(made);
        }
    }
    const LineAnswer committed = m_database.finish(true);
    if (!committed.ok)
        return fail(committed);
    m_objectsChecked = true;
    return true;
}

bool LineSync::send(const HistoryRow& row)
{
    const LineAnswer found = m_database.execute(kLineFindUnit, unitKeyParameters(row));
    if (!found.ok)
        return fail(found);
    const bool there = !found.rows.empty() && !found.rows[0].empty() && found.rows[0][0] != "0";
    if (!there) {
        const LineAnswer inserted = m_database.execute(kLineInsertUnit, unitParameters(row));
        if (!inserted.ok)
            return fail(inserted);
    }
    const LineAnswer committed = m_database.finish(true);
    if (!committed.ok)
        return fail(committed);
    return true;
}

bool LineSync::round()
{
    // A connection left open since the last round may have died with a
    // server restarted meanwhile: that failure is not the database's
    // answer, so the round goes once more on a new connection at once.
    m_quiet = m_database.connected();
    const bool reached = attempt();
    const bool retry = m_quiet && !m_database.connected();
    m_quiet = false;
    return retry ? attempt() : reached;
}

bool LineSync::attempt()
{
    if (!m_database.connected()) {
        const LineAnswer connected = m_database.connect(m_source);
        if (!connected.ok)
            return fail(connected);
        m_objectsChecked = false;
    }
    if (!m_objectsChecked && !makeAbsentObjects())
        return false;
    {
        LockHold hold(m_lock);
        m_state.connected = true;
    }
    HistoryRow row;
    while (m_outbox.next(row)) {
        if (!send(row))
            return false;
        m_outbox.sent();
        m_sentSinceTrouble = true;
    }
    std::string day, serial;
    {
        LockHold hold(m_lock);
        day = m_day;
        serial = m_serial;
    }
    if (day.empty())
        return true;
    const LineAnswer read = m_database.execute(kLineSelectRows, lineRowsParameters(day, serial));
    if (!read.ok)
        return fail(read);
    m_database.finish(true);
    std::vector<HistoryRow> rows;
    for (const auto& columns : read.rows) {
        HistoryRow line;
        if (lineRow(columns, line))
            rows.push_back(line);
    }
    LockHold hold(m_lock);
    m_state.haveRows = true;
    m_state.rowsDay = day;
    m_state.rowsSerial = serial;
    m_state.rows = std::move(rows);
    return m_outbox.waiting() == 0;
}

} // namespace zorik
