#include "log_text.h"

#include <cstdlib>
#include <regex>

#include "cp949_text.h"

namespace zorik::e2e {

std::vector<std::vector<std::string>> splitRows(const std::string& text, const char* lineEnd, char separator) {
    const std::size_t endLength = std::string(lineEnd).size();
    std::vector<std::vector<std::string>> rows;
    for (std::size_t start = 0, end; (end = text.find(lineEnd, start)) != std::string::npos; start = end + endLength) {
        rows.emplace_back(1);
        for (std::size_t i = start; i < end; ++i)
            if (text[i] == separator)
                rows.back().emplace_back();
            else
                rows.back().back() += text[i];
    }
    return rows;
}

std::vector<std::string> splitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = text.find("\r\n", start);
        if (end == std::string::npos) {
            if (start < text.size())
                lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

std::optional<LogLine> parseLogLine(const std::string& cp949Line) {
    static const std::regex pattern(
        "^ ([0-9A-F]{16}) : ([0-9]{2})시 ([0-9]{2})분 ([0-9]{2})초 - "
        "입력\\[([0-9]+)\\] : 출력\\[([0-9]+)\\] = (.+) : (.+)$");
    std::string text;
    try {
        text = utf8FromCp949(cp949Line);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    std::smatch match;
    if (!std::regex_match(text, match, pattern))
        return std::nullopt;
    LogLine line;
    line.count = std::strtoull(match[1].str().c_str(), nullptr, 16);
    line.hour = std::atoi(match[2].str().c_str());
    line.minute = std::atoi(match[3].str().c_str());
    line.second = std::atoi(match[4].str().c_str());
    line.inputChannel = std::atoi(match[5].str().c_str());
    line.outputChannel = std::atoi(match[6].str().c_str());
    line.outputState = match[7];
    line.inputState = match[8];
    if (line.hour > 23 || line.minute > 59 || line.second > 59)
        return std::nullopt;
    return line;
}

std::optional<std::vector<LogLine>> parseLog(const std::string& cp949Log, std::string& problem) {
    const std::string header = kFreshLog;
    if (cp949Log.compare(0, header.size(), header) != 0) {
        problem = "the log does not begin with the header: " + escapedBytes(cp949Log.substr(0, 64));
        return std::nullopt;
    }
    const std::string body = cp949Log.substr(header.size());
    if (!body.empty() && body.compare(body.size() - 2, 2, "\r\n") != 0) {
        problem = "the log's last line does not end with CR LF: ..." +
                  escapedBytes(body.substr(body.size() > 80 ? body.size() - 80 : 0));
        return std::nullopt;
    }
    std::vector<LogLine> lines;
    for (const std::string& text : splitCrLf(body)) {
        auto line = parseLogLine(text);
        if (!line) {
            problem = "malformed log line: \"" + escapedBytes(text) + "\"";
            return std::nullopt;
        }
        lines.push_back(*line);
    }
    return lines;
}

std::optional<Report> parseReport(const std::string& fileBytes, std::string& problem) {
    static const std::regex header("^Count Data : ([0-9A-F]{16})\r\r\n\r\r\n");
    std::smatch match;
    if (!std::regex_search(fileBytes, match, header)) {
        problem = "the report does not begin with the count header: " +
                  escapedBytes(fileBytes.substr(0, 64));
        return std::nullopt;
    }
    Report report;
    report.count = std::strtoull(match[1].str().c_str(), nullptr, 16);
    const std::string stored = fileBytes.substr(static_cast<size_t>(match.length(0)));
    // Undo the text-mode translation; a lone LF or CR LF would mean the
    // program wrote its text some other way.
    for (std::string::size_type i = 0; i < stored.size(); ++i) {
        if (stored.compare(i, 3, "\r\r\n") == 0) {
            report.log += "\r\n";
            i += 2;
        } else if (stored[i] == '\n' || stored.compare(i, 2, "\r\n") == 0) {
            problem = "line end other than CR CR LF at byte " +
                      std::to_string(static_cast<size_t>(match.length(0)) + i) + " of the report";
            return std::nullopt;
        } else {
            report.log += stored[i];
        }
    }
    return report;
}

} // namespace zorik::e2e
