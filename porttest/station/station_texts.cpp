#include "station_texts.h"

#include "result_file.h"
#include "summary_line.h"

namespace zorik {

const char kBannerWaiting[] = "일련번호를 스캔하거나 입력하고 Enter를 누르십시오";
const char kSerialLabel[] = "일련번호:";

std::string formatTestingBanner(const std::string& serial, std::uint32_t attempt)
{
    std::string text = "시험 중: " + serial + "  (시험 ";
    appendDecimal(text, attempt);
    text += "회째)";
    return text;
}

std::string formatUnitBanner(const HistoryRow& row, const std::string& findingWords, std::uint32_t fails,
                             const std::string& fileTrouble)
{
    std::string text = row.verdict + "  " + row.serial + "  (시험 ";
    appendDecimal(text, row.attempt);
    text += "회째)\r\n";
    if (!findingWords.empty()) {
        text += findingWords;
    } else if (row.verdict == "FAIL") {
        // Disagreements whose cause no input's finding names yet.
        text += "불일치 ";
        appendDecimal(text, row.disagreements);
        text += "건, 원인 미확정";
    } else {
        text += row.verdict == "PASS" ? "정상" : "시험을 끝까지 하지 않음";
    }
    if (row.verdict == "FAIL" && fails >= kFailsBeforeRepair) {
        text += "\r\n불량 ";
        appendDecimal(text, fails);
        text += "회째: 수리로 보내십시오";
    }
    if (row.fixtureSuspect)
        text += "\r\n경고: 다른 유닛 셋이 같은 불량 - 케이블, 어댑터, 지그 의심. 양품이나 루프백 플러그로 확인";
    if (!fileTrouble.empty())
        text += "\r\n" + fileTrouble;
    return text;
}

std::string formatYieldFigures(const char* heading, const StationYield& yield)
{
    std::string text = heading;
    appendDecimal(text, yield.units);
    text += "대, 첫 통과율 ";
    appendShare(text, yield.firstPassed, yield.firstTimeUnits);
    text += ", 최종 수율 ";
    appendShare(text, yield.finallyPassed, yield.units);
    return text;
}

std::string formatYieldLine(const StationYield& yield)
{
    std::string text = formatYieldFigures("오늘 이 스테이션: ", yield);
    if (yield.topInput >= 0) {
        text += ", 최다 불량: 입력 ";
        appendDecimal(text, static_cast<std::uint64_t>(yield.topInput));
        text += ' ' + yield.topFinding + ' ';
        appendDecimal(text, yield.topCount);
        text += "건";
    }
    return text;
}

std::string formatHistoryTrouble(const std::string& history, const std::string& historyReason,
                                 const std::string& pending, const std::string& pendingReason, bool inPending)
{
    std::string text = "기록 파일 \"" + history + "\"에 쓰지 못함 (" + historyReason + "): ";
    if (inPending)
        return text + "\"" + pending + "\"에 보관, 다음 유닛 때 옮김";
    return text + "\"" + pending + "\"에도 쓰지 못함 (" + pendingReason + "): 메모리에 보관, 다음 유닛 때 다시 씀";
}

std::string formatUnitFilesNotWritten(const std::string& name)
{
    return "유닛 파일 \"" + name + "\"을 쓰지 못함";
}

std::string formatHistoryUnreadable(const std::string& history, const std::string& reason)
{
    return "기록 파일 \"" + history + "\"을 읽지 못했습니다 (" + reason +
           "). 시도 횟수와 수율은 이 파일에서 나오므로 스테이션을 열지 않습니다.";
}

} // namespace zorik

namespace zorik {

std::string formatHistoryWait(const std::string& history, unsigned waitedMs)
{
    std::string text = "기록 파일 \"" + history + "\"을 다른 스테이션이 쓰는 중: 기다리는 중 (";
    appendDecimal(text, waitedMs / 1000);
    text += '.';
    appendDecimal(text, waitedMs / 100 % 10);
    text += "초)";
    return text;
}

std::string formatDamagedLines(const DamagedLines& damage)
{
    std::string text;
    appendDecimal(text, damage.count);
    text += damage.count == 1 ? " damaged line in " : " damaged lines in ";
    text += damage.file.empty() ? std::string("memory") : damage.file;
    text += damage.lines.size() == 1 ? ", line " : ", lines ";
    for (std::size_t i = 0; i < damage.lines.size(); ++i) {
        if (i != 0)
            text += ", ";
        appendDecimal(text, damage.lines[i]);
    }
    if (damage.count > damage.lines.size())
        text += ", ...";
    return text;
}

std::string formatRowsLeft(const std::string& history, const std::vector<HistoryRow>& rows, const std::string& file,
                           const std::string& text)
{
    std::string box = "기록 파일 \"" + history + "\"에 아직 쓰지 못한 행 ";
    appendDecimal(box, rows.size());
    box += "개:";
    for (const HistoryRow& row : rows) {
        box += "\r\n  " + row.serial + " (시험 ";
        appendDecimal(box, row.attempt);
        box += "회째, " + row.time + ")";
    }
    if (!file.empty())
        box += "\r\n보관한 곳: " + file + " - 다음에 스테이션이 기록 파일을 쓸 때 옮깁니다.";
    if (!text.empty())
        box += "\r\n어느 파일에도 쓰지 못했습니다. 아래 행을 기록 파일 끝에 옮겨 적으십시오:\r\n" + text;
    return box;
}

} // namespace zorik
