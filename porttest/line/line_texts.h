// What a station with /line shows of the line's database: the line's
// yield beside the station's, and that the database is away. Code page
// 949 bytes (line_texts.cpp is compiled with -fexec-charset=CP949).
#pragma once

#include "station_yield.h"

#include <cstddef>
#include <string>

namespace zorik {

// The yield of every station's rows: units, first-pass and final yield.
StationYield lineYield(const std::vector<HistoryRow>& rows, const std::string& day);

// "오늘 라인: 40대, 첫 통과율 90.0% (36/40), 최종 수율 97.5% (39/40)".
std::string formatLineYieldLine(const StationYield& line);
// "라인 DB 연결 안 됨: 3행 대기 (연결되면 보냄)".
std::string formatLineAway(std::size_t waiting);
// The driver's words, once: "라인 DB: ..." (scrubbed: line_sync.h).
std::string formatLineTrouble(const std::string& words);

} // namespace zorik
