#include "line_texts.h"

#include "result_file.h"
#include "summary_line.h"

namespace zorik {

namespace {

void appendShare(std::string& text, std::uint32_t part, std::uint32_t whole)
{
    if (whole == 0) {
        text += "-";
        return;
    }
    appendPercent(text, 100.0 * part / whole, 1);
    text += "% (";
    appendDecimal(text, part);
    text += '/';
    appendDecimal(text, whole);
    text += ')';
}

} // namespace

StationYield lineYield(const std::vector<HistoryRow>& rows, const std::string& day)
{
    // The station's yield over every station's rows: one station named
    // alike for all.
    std::vector<HistoryRow> line = rows;
    for (HistoryRow& row : line)
        row.station.clear();
    return stationYield(line, day, std::string());
}

std::string formatLineYieldLine(const StationYield& line)
{
    std::string text = "오늘 라인: ";
    appendDecimal(text, line.units);
    text += "대, 첫 통과율 ";
    appendShare(text, line.firstPassed, line.firstTimeUnits);
    text += ", 최종 수율 ";
    appendShare(text, line.finallyPassed, line.units);
    return text;
}

std::string formatLineAway(std::size_t waiting)
{
    std::string text = "라인 DB 연결 안 됨: ";
    appendDecimal(text, waiting);
    return text + "행 대기 (연결되면 보냄)";
}

std::string formatLineTrouble(const std::string& words)
{
    return "라인 DB: " + words;
}

} // namespace zorik
