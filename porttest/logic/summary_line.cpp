// Compiled with -fexec-charset=CP949: the literals below are code page 949
// bytes although this file is UTF-8.
#include "summary_line.h"

namespace zorik {

void appendDecimal(std::string& text, std::uint64_t value, int width)
{
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 || count < width);
    while (count > 0)
        text += digits[--count];
}

Verdict verdictOf(const SummaryFigures& figures)
{
    if (figures.disagreements[0] + figures.disagreements[1] + figures.disagreements[2] != 0)
        return Verdict::Fail;
    return figures.cycles == 0 && figures.testingSeconds == 0 ? Verdict::Waiting : Verdict::Pass;
}

std::string formatSummary(const SummaryFigures& figures)
{
    static const char* const kVerdicts[] = {"대기", "정상", "불량"};
    // One append after another: the image stays small, as a chain of
    // string sums would not.
    const std::uint64_t* const d = figures.disagreements;
    const std::uint64_t s = figures.testingSeconds;
    std::string text;
    text.reserve(128);
    text += kVerdicts[static_cast<int>(verdictOf(figures))];
    text += "  사이클 ";
    appendDecimal(text, figures.cycles);
    text += "  불일치 ";
    appendDecimal(text, d[0] + d[1] + d[2]);
    static const char* const kChannels[] = {" ([0] ", ", [1] ", ", [2] "};
    for (int channel = 0; channel < 3; ++channel) {
        text += kChannels[channel];
        appendDecimal(text, d[channel]);
    }
    text += ")  시험 시간 ";
    appendDecimal(text, s / 3600);
    text += ':';
    appendDecimal(text, s / 60 % 60, 2);
    text += ':';
    appendDecimal(text, s % 60, 2);
    return text;
}

} // namespace zorik
