// Reading what the program wrote: the test log shown in the log box and the
// report file ErrorInfo.txt. Both are code page 949 bytes; they are parsed
// here as UTF-8, after conversion, so that the Korean parts of a line can be
// matched as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorik::e2e {

// The log box's text right after start-up.
inline constexpr char kFreshLog[] = "Error Check  -  10ms\r\n\r\n";

// One disagreement line of the test log.
struct LogLine {
    std::uint64_t count = 0;
    int hour = 0, minute = 0, second = 0;
    int inputChannel = 0, outputChannel = 0;
    std::string outputState, inputState; // UTF-8
};

// Splits code page 949 text at CR LF; a last line without CR LF is kept.
std::vector<std::string> splitCrLf(const std::string& text);

// The lines of `text` ended by `lineEnd` (a last one without it is left
// out), each split at every `separator`: for files and query output that
// hold no quoted field.
std::vector<std::vector<std::string>> splitRows(const std::string& text, const char* lineEnd, char separator);

// Parses one line (code page 949, without its CR LF) of the form
//   " %016X : %02d시 %02d분 %02d초 - 입력[%d] : 출력[%d] = %s : %s".
std::optional<LogLine> parseLogLine(const std::string& cp949Line);

// The disagreement lines of a log, which must begin with the fresh log's
// header. Nothing if the header is missing or any line is malformed; then
// `problem` says where.
std::optional<std::vector<LogLine>> parseLog(const std::string& cp949Log, std::string& problem);

// ErrorInfo.txt: the count header, then the test log, with every CR LF of
// the text stored as CR CR LF (text-mode output of text that already ends
// its lines with CR LF).
struct Report {
    std::uint64_t count = 0;
    std::string log; // the test log as the program held it, CR LF line ends
};
std::optional<Report> parseReport(const std::string& fileBytes, std::string& problem);

// Seconds since midnight.
inline int secondOfDay(int hour, int minute, int second) {
    return (hour * 60 + minute) * 60 + second;
}

} // namespace zorik::e2e
