// What the log box shows of the test log: the log's header and the newest
// whole lines that fit in a fixed budget. On the 9x family a multi-line
// edit control holds at most about 64 KB whatever limit it is given, and
// on every Windows its cost grows with its text; the log itself
// (m_strLog, the report) keeps every line.
//
// The decisions are made here, the edit control only carries them out.
// Sizes are counted in code page 949 bytes with CR LF line ends, as the
// 9x control holds the text. Positions in the box are counted in the
// control's own units (bytes on the 9x family, characters where the
// control holds Unicode): the box reports how many each line took.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace zorik {

// Below the 9x family's 64 KB, with room for one more line and the
// terminating NUL.
constexpr std::size_t LOG_BOX_BUDGET_BYTES = 60000;
// When lines must leave, they leave until the box is this much below the
// budget: removing text from an edit control costs about as much as adding
// a line (under Wine, whatever the amount removed), so it comes once in
// about a hundred lines instead of with every line.
constexpr std::size_t LOG_BOX_TRIM_BYTES = 6000;

// The log's header: its text up to and including its first empty line
// ("Error Check  -  10ms\r\n\r\n"); all of it when it has none yet.
std::size_t logHeaderLength(const std::string& log);

// Where the newest whole lines of `log` begin that fit beside its header
// in `budget` bytes (the newest line at least, whatever its length): the
// box shows the header and log[result, end).
std::size_t newestLinesStart(const std::string& log, std::size_t budget);

// A stretch of the box's text, in the box's positions; length 0: nothing.
struct BoxSpan {
    std::size_t start;
    std::size_t length;
};

// The lines the box holds after its header, oldest first.
class LogBoxLines {
public:
    explicit LogBoxLines(std::size_t budget = LOG_BOX_BUDGET_BYTES, std::size_t trim = LOG_BOX_TRIM_BYTES);

    // The box was just filled with a header of `bytes`, taking `positions`.
    void reset(std::size_t bytes, std::size_t positions);

    // Before a line of `bytes` goes in at the end: when the box would pass
    // the budget, the oldest lines that leave for it to be `trim` below the
    // budget with the new line, as one span right after the header
    // (forgotten here; the caller removes them from the box). A line too
    // long for the budget on its own empties the box down to the header and
    // goes in all the same: nothing is cut mid-line.
    BoxSpan makeRoom(std::size_t bytes);

    // The line went in at the end, taking `positions`.
    void add(std::size_t bytes, std::size_t positions);

    std::size_t bytes() const { return m_headerBytes + m_lineBytes; }
    std::size_t positions() const { return m_headerPositions + m_linePositions; }
    std::size_t lineCount() const { return m_lines.size(); }
    std::size_t budget() const { return m_budget; }

private:
    struct Line {
        std::size_t bytes;
        std::size_t positions;
    };

    std::size_t m_budget;
    std::size_t m_trimmedTo;
    std::size_t m_headerBytes = 0;
    std::size_t m_headerPositions = 0;
    std::size_t m_lineBytes = 0;
    std::size_t m_linePositions = 0;
    std::deque<Line> m_lines;
};

} // namespace zorik
