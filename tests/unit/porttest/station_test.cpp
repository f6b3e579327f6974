// The station's logic as tables: serial numbers, the /rate rule, the
// history's rows, attempts, yield, repair and fixture, and the history's
// files with their pending file. Compiled with the program's code page
// (949), so the Korean expectations are the program's bytes; one row
// spells them out.
#include "history_csv.h"
#include "memory_history_files.h"
#include "proof_rate.h"
#include "result_file.h"
#include "serial_number.h"
#include "station_history.h"
#include "station_texts.h"
#include "station_yield.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zorik;

namespace {

HistoryRow unitRow(const char* time, const char* serial, const char* verdict, const char* input1 = "ok",
                   const char* rule1 = "out1", const char* station = "LINE1")
{
    HistoryRow row;
    row.time = time;
    row.station = station;
    row.serial = serial;
    row.attempt = 1;
    row.verdict = verdict;
    row.ended = std::string(verdict) == "PASS" ? "proved" : "finding";
    row.cycles = 59;
    row.seconds = 20;
    row.unit = "present";
    row.input[0] = "ok";
    row.input[1] = input1;
    row.input[2] = "ok";
    row.rule[0] = "out0";
    row.rule[1] = rule1;
    row.rule[2] = "out2";
    row.program = "1.0.0.1";
    return row;
}

} // namespace

TEST(Station, SerialNumbers)
{
    const struct {
        std::string read;
        const char* fault; // nullptr: accepted
        const char* shown; // as the refusal names it
    } rows[] = {
        {"SN-0001", nullptr, ""},
        {"A", nullptr, ""},
        {"a b/c:d~", nullptr, ""},
        {std::string(32, '7'), nullptr, ""},
        {std::string(33, '7'), "32자 넘음", "777777777777777777777777777777777"},
        {"", "비어 있음", "\"\""},
        {"AB,12", "쉼표(,)", "\"AB,12\""},
        {"AB\"12", "큰따옴표(\")", "\"AB\"12\""},
        {" SN1", "앞이나 뒤에 공백", "\" SN1\""},
        {"SN1 ", "앞이나 뒤에 공백", "\"SN1 \""},
        {"SN\t1", "인쇄할 수 없는 문자", "\"SN\\x091\""},
        {"SN\r", "인쇄할 수 없는 문자", "\"SN\\x0D\""},
        {"\xB0\xA1", "인쇄할 수 없는 문자", "\"\\xB0\\xA1\""},
        {std::string(50, 'x'), "32자 넘음", "\"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.read);
        const std::string refusal = serialRefusal(row.read);
        if (row.fault == nullptr) {
            EXPECT_EQ(refusal, "");
            continue;
        }
        EXPECT_EQ(refusal.rfind("일련번호 거부: ", 0), 0u) << refusal;
        EXPECT_NE(refusal.find(row.fault), std::string::npos) << refusal;
        EXPECT_NE(refusal.find(row.shown), std::string::npos) << refusal;
        EXPECT_NE(refusal.find("받는 것: 인쇄 가능한 ASCII 1~32자, 쉼표와 큰따옴표 없이, 앞뒤 공백 없이"),
                  std::string::npos);
    }
    // The program's bytes are code page 949: 일련번호.
    EXPECT_EQ(serialRefusal("").substr(0, 8), "\xC0\xCF\xB7\xC3\xB9\xF8\xC8\xA3");
}

TEST(Station, RateAndTheCyclesThatProveIt)
{
    const struct {
        const char* text;
        std::uint32_t hundredths; // 0: refused
        std::uint32_t n;
        const char* shown;
    } rows[] = {
        {"5", 500, 59, "5"},       {"5%", 500, 59, "5"},     {"1", 100, 299, "1"},
        {"50", 5000, 5, "50"},     {"0.1", 10, 2995, "0.1"}, {"10%", 1000, 29, "10"},
        {"2.5", 250, 119, "2.5"},  {"0.25%", 25, 1197, "0.25"}, {"33.33", 3333, 8, "33.33"},
        {"05.0", 500, 59, "5"},
        {"0.09", 0, 0, ""},        {"50.01", 0, 0, ""},      {"0", 0, 0, ""},
        {"", 0, 0, ""},            {"%", 0, 0, ""},          {"5.", 0, 0, ""},
        {".5", 0, 0, ""},          {"1.234", 0, 0, ""},      {"5,5", 0, 0, ""},
        {"5%%", 0, 0, ""},         {"-5", 0, 0, ""},         {"5 %", 0, 0, ""},
        {"99999999999", 0, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        std::uint32_t hundredths = 0;
        EXPECT_EQ(parseRate(row.text, hundredths), row.hundredths != 0);
        if (row.hundredths == 0)
            continue;
        EXPECT_EQ(hundredths, row.hundredths);
        EXPECT_EQ(cyclesToProve(hundredths), row.n);
        EXPECT_EQ(formatRate(hundredths), row.shown);
    }
}

TEST(Station, RateRuleEndsTheTest)
{
    const struct {
        std::uint32_t cycles;
        std::uint64_t fewestReadings, disagreements;
        bool named;
        RunEnded ended;
    } rows[] = {
        {58, 58, 0, true, RunEnded::None},      // one reading short
        {59, 59, 0, true, RunEnded::Proved},
        {59, 59, 0, false, RunEnded::Proved},   // clean readings prove it, named or not
        {59, 58, 0, true, RunEnded::None},      // an input read less often
        {20, 20, 7, false, RunEnded::None},     // a fault, not named yet
        {21, 21, 8, true, RunEnded::Finding},
        {176, 176, 9, false, RunEnded::None},
        {177, 177, 9, false, RunEnded::Bound},  // 3n
        {177, 177, 9, true, RunEnded::Finding},
        {400, 400, 1, false, RunEnded::Bound},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cycles);
        EXPECT_EQ(rateEnd(59, row.cycles, row.fewestReadings, row.disagreements, row.named), row.ended);
    }
    EXPECT_STREQ(runEndingWord(RunEnding::Proved), "proved");
    EXPECT_STREQ(runEndingWord(RunEnding::Finding), "finding");
}

TEST(Station, HistoryRowsAndTheirBytes)
{
    EXPECT_STREQ(kHistoryHeader, "Time,Station,Serial,Attempt,Verdict,Ended,Cycles,Seconds,Disagreements,Unit,"
                                 "Input0,Input1,Input2,Rule0,Rule1,Rule2,FixtureSuspect,Program");
    HistoryRow row = unitRow("2026-12-09 14:03:07", "SN 7", "FAIL", "other", "(out1 AND NOT out2) OR (NOT out1 AND out2)");
    row.attempt = 12;
    row.disagreements = 31;
    row.fixtureSuspect = true;
    row.station = "\xB6\xF3\xC0\xCE"; // a Korean computer name stays code page 949
    row.rule[2] = "";
    const std::string bytes = formatHistoryRow(row);
    EXPECT_EQ(bytes, "2026-12-09 14:03:07,\xB6\xF3\xC0\xCE,SN 7,12,FAIL,finding,59,20,31,present,ok,other,ok,out0,"
                     "\"(out1 AND NOT out2) OR (NOT out1 AND out2)\",,1,1.0.0.1\r\n");
    HistoryRow back;
    ASSERT_TRUE(parseHistoryRow(bytes.substr(0, bytes.size() - 2), back));
    EXPECT_EQ(formatHistoryRow(back), bytes);
    // A quote inside a field is doubled, and read back.
    row.rule[1] = "a \"b\", c";
    ASSERT_TRUE(parseHistoryRow(formatHistoryRow(row).substr(0, formatHistoryRow(row).size() - 2), back));
    EXPECT_EQ(back.rule[1], "a \"b\", c");

    const char* notRows[] = {
        kHistoryHeader,
        "2026-12-09 14:03:07,L,S,1,PASS,proved,59,20,0,present,ok,ok,ok,out0,out1,out2,0",          // 17 fields
        "2026-12-09 14:03:07,L,S,0,PASS,proved,59,20,0,present,ok,ok,ok,out0,out1,out2,0,1.0.0.1",  // attempt 0
        "2026-12-09 14:03,L,S,1,PASS,proved,59,20,0,present,ok,ok,ok,out0,out1,out2,0,1.0.0.1",     // torn time
        "2026-12-09 14:03:07,L,S,1,PASS,proved,59,20,0,present,ok,ok,ok,out0,out1,out2,2,1.0.0.1",  // flag 2
        "2026-12-09 14:03:07,L,\"S,1,PASS,proved,59,20,0,present,ok,ok,ok,out0,out1,out2,0,1.0.0.1", // open quote
    };
    for (const char* line : notRows)
        EXPECT_FALSE(parseHistoryRow(line, back)) << line;

    const std::vector<std::string> lines = historyLines("a\r\nb\n\"c\r\nd\"\r\ntorn");
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "\"c\r\nd\"", "torn"}));
}

TEST(Station, AttemptsRepairAndYield)
{
    const std::vector<HistoryRow> rows = {
        unitRow("2026-12-08 17:00:00", "A", "FAIL", "stuck-off", "0"), // yesterday: A's first row
        unitRow("2026-12-09 08:00:00", "A", "PASS"),
        unitRow("2026-12-09 08:01:00", "B", "PASS"),
        unitRow("2026-12-09 08:02:00", "C", "FAIL", "stuck-off", "0"),
        unitRow("2026-12-09 08:03:00", "C", "FAIL", "stuck-off", "0"),
        unitRow("2026-12-09 08:04:00", "D", "FAIL", "inverted", "NOT out1"),
        unitRow("2026-12-09 08:05:00", "E", "PASS", "ok", "out1", "LINE2"), // another station
        unitRow("2026-12-09 08:06:00", "C", "INCOMPLETE"),
        unitRow("2026-12-09 08:07:00", "D", "PASS"),
    };
    EXPECT_EQ(nextAttempt(rows, "A"), 3u);
    EXPECT_EQ(nextAttempt(rows, "C"), 4u);
    EXPECT_EQ(nextAttempt(rows, "Z"), 1u);
    EXPECT_EQ(failCount(rows, "C"), 2u);
    EXPECT_EQ(failCount(rows, "B"), 0u);

    const StationYield today = stationYield(rows, "2026-12-09", "LINE1");
    EXPECT_EQ(today.units, 4u);          // A, B, C, D
    EXPECT_EQ(today.firstTimeUnits, 3u); // B, C, D (A was first tested yesterday)
    EXPECT_EQ(today.firstPassed, 1u);    // B
    EXPECT_EQ(today.finallyPassed, 3u);  // A, B, D; C's latest is INCOMPLETE
    EXPECT_EQ(today.topInput, 1);
    EXPECT_EQ(today.topFinding, "stuck-off");
    EXPECT_EQ(today.topCount, 2u);
    EXPECT_EQ(formatYieldLine(today), "오늘 이 스테이션: 4대, 첫 통과율 33.3% (1/3), 최종 수율 75.0% (3/4), "
                                      "최다 불량: 입력 1 stuck-off 2건");
    const StationYield other = stationYield(rows, "2026-12-09", "LINE2");
    EXPECT_EQ(other.units, 1u);
    EXPECT_EQ(other.topInput, -1);
    EXPECT_EQ(formatYieldLine(stationYield(rows, "2026-12-10", "LINE1")),
              "오늘 이 스테이션: 0대, 첫 통과율 -, 최종 수율 -");
}

TEST(Station, FixtureSuspect)
{
    const HistoryRow a = unitRow("2026-12-09 08:00:00", "A", "FAIL", "stuck-off", "0");
    const HistoryRow b = unitRow("2026-12-09 08:01:00", "B", "FAIL", "stuck-off", "0");
    const HistoryRow c = unitRow("2026-12-09 08:02:00", "C", "FAIL", "stuck-off", "0");
    const HistoryRow cInverted = unitRow("2026-12-09 08:02:00", "C", "FAIL", "inverted", "NOT out1");
    const HistoryRow pass = unitRow("2026-12-09 08:03:00", "P", "PASS");
    const HistoryRow incomplete = unitRow("2026-12-09 08:03:00", "Q", "INCOMPLETE");
    HistoryRow bSuspect = b;
    bSuspect.fixtureSuspect = true;
    HistoryRow aElsewhere = a;
    aElsewhere.station = "LINE2";
    const HistoryRow bAgain = unitRow("2026-12-09 08:02:00", "B", "FAIL", "stuck-off", "0");
    const struct {
        const char* name;
        std::vector<HistoryRow> before;
        HistoryRow next;
        bool suspect;
    } rows[] = {
        {"three serials, one fault", {a, b}, c, true},
        {"two units only", {b}, c, false},
        {"another fault on the third", {a, b}, cInverted, false},
        {"a serial twice", {a, b}, bAgain, false},
        {"a pass between", {a, pass, b}, c, false},
        {"an incomplete unit between says nothing", {a, incomplete, b}, c, true},
        {"another station's row is passed over", {a, aElsewhere, b}, c, true},
        {"the first of them at another station", {aElsewhere, b}, c, false},
        {"suspect until a unit passes", {a, bSuspect}, cInverted, true},
        {"an incomplete unit carries it", {a, bSuspect}, incomplete, true},
        {"the pass clears it", {a, bSuspect}, pass, false},
        {"ok on every input is no fault", {unitRow("2026-12-09 08:00:00", "A", "FAIL"), unitRow("2026-12-09 08:01:00", "B", "FAIL")},
         unitRow("2026-12-09 08:02:00", "C", "FAIL"), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fixtureSuspect(row.before, row.next), row.suspect);
    }
    HistoryRow suspect = c;
    suspect.fixtureSuspect = true;
    suspect.attempt = 3;
    const std::string banner = formatUnitBanner(suspect, "입력 1 항상 꺼짐: 1번 배선 확인", 3, "");
    EXPECT_EQ(banner, "FAIL  C  (시험 3회째)\r\n입력 1 항상 꺼짐: 1번 배선 확인\r\n"
                      "불량 3회째: 수리로 보내십시오\r\n"
                      "경고: 다른 유닛 셋이 같은 불량 - 케이블, 어댑터, 지그 의심. 양품이나 루프백 플러그로 확인");
    // Two FAILs: no repair yet; a fifth: still to repair; a PASS: none.
    suspect.fixtureSuspect = false;
    EXPECT_EQ(formatUnitBanner(suspect, "x", 2, ""), "FAIL  C  (시험 3회째)\r\nx");
    EXPECT_EQ(formatUnitBanner(suspect, "x", 5, "T"), "FAIL  C  (시험 3회째)\r\nx\r\n불량 5회째: 수리로 보내십시오\r\nT");
    EXPECT_EQ(formatUnitBanner(pass, "", 4, ""), "PASS  P  (시험 1회째)\r\n정상");
    EXPECT_EQ(formatUnitBanner(suspect, "", 1, ""), "FAIL  C  (시험 3회째)\r\n불일치 0건, 원인 미확정");
    EXPECT_EQ(formatUnitBanner(incomplete, "", 0, ""), "INCOMPLETE  Q  (시험 1회째)\r\n시험을 끝까지 하지 않음");
}

// The history held by another program, a kill between the history's write
// and the pending file's removal, a torn last line: every row once, in order.
TEST(Station, HistoryFilesAndThePendingFile)
{
    MemoryHistoryFiles files;
    StationHistory history(files, "H.csv");
    ASSERT_EQ(history.load().status, FileStatus::Missing);
    const std::string header = std::string(kHistoryHeader) + "\r\n";
    const HistoryRow r1 = unitRow("2026-12-09 08:00:00", "A", "PASS");
    const HistoryRow r2 = unitRow("2026-12-09 08:01:00", "B", "FAIL", "stuck-off", "0");
    const HistoryRow r3 = unitRow("2026-12-09 08:02:00", "C", "PASS");
    const HistoryRow r4 = unitRow("2026-12-09 08:03:00", "D", "PASS");
    const HistoryRow r5 = unitRow("2026-12-09 08:04:00", "E", "PASS");

    const struct {
        const char* step;
        const HistoryRow& row;
        bool historyHeld, pendingHeld, pendingUndeletable;
        StationHistory::Place place;
        std::string history; // the history file afterwards
        std::string pending; // the pending file afterwards; "-": none
    } steps[] = {
        {"a new file gets its header", r1, false, false, false, StationHistory::Place::History,
         header + formatHistoryRow(r1), "-"},
        {"held by another program", r2, true, false, false, StationHistory::Place::Pending,
         header + formatHistoryRow(r1), formatHistoryRow(r2)},
        {"free again, but the pending file stays (a kill)", r3, false, false, true, StationHistory::Place::History,
         header + formatHistoryRow(r1) + formatHistoryRow(r2) + formatHistoryRow(r3),
         formatHistoryRow(r2) + formatHistoryRow(r3)},
        {"rows already there are not written again", r4, false, false, false, StationHistory::Place::History,
         header + formatHistoryRow(r1) + formatHistoryRow(r2) + formatHistoryRow(r3) + formatHistoryRow(r4), "-"},
        {"neither file: held in memory", r5, true, true, false, StationHistory::Place::Memory,
         header + formatHistoryRow(r1) + formatHistoryRow(r2) + formatHistoryRow(r3) + formatHistoryRow(r4), "-"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        files.held.clear();
        files.undeletable.clear();
        if (step.historyHeld)
            files.held.insert("H.csv");
        if (step.pendingHeld)
            files.held.insert("H.csv.pending");
        if (step.pendingUndeletable)
            files.undeletable.insert("H.csv.pending");
        const StationHistory::Written written = history.append(step.row);
        EXPECT_EQ(written.place, step.place);
        EXPECT_EQ(written.history.done(), !step.historyHeld);
        files.held.clear();
        EXPECT_EQ(files.files["H.csv"], step.history);
        const auto pending = files.files.find("H.csv.pending");
        EXPECT_EQ(pending == files.files.end() ? std::string("-") : pending->second, step.pending);
    }
    // The row held in memory arrives with the next, in its place.
    const HistoryRow r6 = unitRow("2026-12-09 08:05:00", "F", "PASS");
    EXPECT_EQ(history.append(r6).place, StationHistory::Place::History);
    const std::string all = header + formatHistoryRow(r1) + formatHistoryRow(r2) + formatHistoryRow(r3) +
                            formatHistoryRow(r4) + formatHistoryRow(r5) + formatHistoryRow(r6);
    EXPECT_EQ(files.files["H.csv"], all);
    EXPECT_EQ(history.rows().size(), 6u);

    // A start reads the rows back once each, a pending file's too; a torn
    // last line is ended before the next row, and read as no row.
    files.files["H.csv"] = all + formatHistoryRow(r1).substr(0, 30);
    const HistoryRow r7 = unitRow("2026-12-09 08:06:00", "G", "PASS");
    files.files["H.csv.pending"] = formatHistoryRow(r6) + formatHistoryRow(r7);
    StationHistory again(files, "H.csv");
    ASSERT_TRUE(again.load().done());
    ASSERT_EQ(again.rows().size(), 7u);
    EXPECT_EQ(again.rows()[6].serial, "G");
    const HistoryRow r8 = unitRow("2026-12-09 08:07:00", "H", "PASS");
    EXPECT_EQ(again.append(r8).place, StationHistory::Place::History);
    EXPECT_EQ(files.files["H.csv"], all + formatHistoryRow(r1).substr(0, 30) + "\r\n" + formatHistoryRow(r7) +
                                        formatHistoryRow(r8));
    EXPECT_EQ(files.files.count("H.csv.pending"), 0u);

    // A history that cannot be read keeps the station from opening.
    files.held.insert("H.csv");
    StationHistory held(files, "H.csv");
    EXPECT_EQ(held.load().status, FileStatus::InUse);
    EXPECT_EQ(formatHistoryTrouble("H.csv", "used", "H.csv.pending", "", true),
              "기록 파일 \"H.csv\"에 쓰지 못함 (used): \"H.csv.pending\"에 보관, 다음 유닛 때 옮김");
}
