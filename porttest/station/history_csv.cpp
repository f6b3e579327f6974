#include "history_csv.h"

#include "summary_line.h"

namespace zorik {

const char kHistoryHeader[] = "Time,Station,Serial,Attempt,Verdict,Ended,Cycles,Seconds,Disagreements,Unit,"
                              "Input0,Input1,Input2,Rule0,Rule1,Rule2,FixtureSuspect,Program";

namespace {

constexpr std::size_t kFields = 18;

// A spreadsheet reads ="TEXT" as the text itself.
const char kTextOpen[] = "=\"";

void appendField(std::string& text, const std::string& field)
{
    if (field.find_first_of(",\"()\r\n") == std::string::npos) {
        text += field;
    } else {
        text += '"';
        for (char c : field) {
            if (c == '"')
                text += '"';
            text += c;
        }
        text += '"';
    }
}

void appendNumber(std::string& text, std::uint64_t value)
{
    appendDecimal(text, value);
}

bool splitFields(const std::string& line, std::vector<std::string>& fields)
{
    fields.assign(1, std::string());
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return !quoted;
}

bool parseNumber(const std::string& text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 19)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

} // namespace

std::string formatHistoryRow(const HistoryRow& row)
{
    std::string text;
    text.reserve(160);
    appendField(text, row.time);
    text += ',';
    appendField(text, row.station);
    text += ',';
    appendField(text, spreadsheetChanges(row.serial) ? kTextOpen + row.serial + '"' : row.serial);
    text += ',';
    appendNumber(text, row.attempt);
    text += ',';
    appendField(text, row.verdict);
    text += ',';
    appendField(text, row.ended);
    for (std::uint64_t number : {row.cycles, row.seconds, row.disagreements}) {
        text += ',';
        appendNumber(text, number);
    }
    text += ',';
    appendField(text, row.unit);
    for (const std::string& word : row.input) {
        text += ',';
        appendField(text, word);
    }
    for (const std::string& rule : row.rule) {
        text += ',';
        appendField(text, rule);
    }
    text += row.fixtureSuspect ? ",1," : ",0,";
    appendField(text, row.program);
    text += "\r\n";
    return text;
}

void takeHistoryTextColumns(const std::vector<std::string>& columns, HistoryRow& row)
{
    row.station = columns[1];
    row.serial = columns[2];
    row.verdict = columns[4];
    row.ended = columns[5];
    row.unit = columns[9];
    for (int i = 0; i < 3; ++i) {
        row.input[i] = columns[10 + i];
        row.rule[i] = columns[13 + i];
    }
    row.fixtureSuspect = columns[16] == "1";
    row.program = columns[17];
}

bool parseHistoryRow(const std::string& line, HistoryRow& row)
{
    std::vector<std::string> f;
    if (!splitFields(line, f) || f.size() != kFields)
        return false;
    std::uint64_t attempt = 0;
    if (f[0].size() != 19 || !parseNumber(f[3], attempt) || attempt == 0 || attempt > 0xFFFFFFFFu ||
        !parseNumber(f[6], row.cycles) || !parseNumber(f[7], row.seconds) || !parseNumber(f[8], row.disagreements) ||
        (f[16] != "0" && f[16] != "1"))
        return false;
    row.time = f[0];
    takeHistoryTextColumns(f, row);
    // ="SERIAL", as a spreadsheet-safe serial is written; a serial holds
    // no double quote, so no serial read is taken for one.
    if (row.serial.size() > 3 && row.serial.compare(0, 2, kTextOpen) == 0 && row.serial.back() == '"')
        row.serial = row.serial.substr(2, row.serial.size() - 3);
    row.attempt = static_cast<std::uint32_t>(attempt);
    return true;
}

std::vector<std::string> historyLines(const std::string& bytes)
{
    // No field of a row holds a line end: a line torn inside a quoted
    // field ends at its line end all the same and takes nothing after it.
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos)
            end = bytes.size();
        else if (end > start && bytes[end - 1] == '\r')
            --end;
        lines.push_back(bytes.substr(start, end - start));
        start = next;
    }
    return lines;
}

bool spreadsheetChanges(const std::string& serial)
{
    if (serial.empty())
        return false;
    if (std::string("=+-@").find(serial[0]) != std::string::npos)
        return true; // a formula
    // Digits with no letter but one E: a number, a date, a time, a
    // fraction or a power of ten to a spreadsheet (00123, 1-12, 12:30, 1E5).
    bool digit = false;
    int letters = 0;
    for (char c : serial) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            letters += c == 'E' || c == 'e' ? 1 : 2;
    }
    return digit && letters <= 1;
}

} // namespace zorik
