#include "line_texts.h"

#include "station_texts.h"
#include "summary_line.h"

namespace zorik {

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
    return formatYieldFigures("오늘 라인: ", line);
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
