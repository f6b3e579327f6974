#include "history_csv.h"

#include "summary_line.h"

namespace zorik {

const char kHistoryHeader[] = "Time,Station,Serial,Attempt,Verdict,Ended,Cycles,Seconds,Disagreements,Unit,"
                              "Input0,Input1,Input2,Rule0,Rule1,Rule2,FixtureSuspect,Program";

namespace {

constexpr std::size_t kFields = 18;

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
    const std::string* const before[] = {&row.time, &row.station, &row.serial};
    for (const std::string* field : before) {
        appendField(text, *field);
        text += ',';
    }
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
    row.station = f[1];
    row.serial = f[2];
    row.attempt = static_cast<std::uint32_t>(attempt);
    row.verdict = f[4];
    row.ended = f[5];
    row.unit = f[9];
    for (int i = 0; i < 3; ++i) {
        row.input[i] = f[10 + i];
        row.rule[i] = f[13 + i];
    }
    row.fixtureSuspect = f[16] == "1";
    row.program = f[17];
    return true;
}

std::vector<std::string> historyLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    bool quoted = false;
    for (char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        if (c == '\n' && !quoted) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace zorik
