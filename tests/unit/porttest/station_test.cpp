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

    // A line ends at its line end whatever its quotes: no row holds one,
    // and a line torn inside a quoted field must not take the next along.
    const std::vector<std::string> lines = historyLines("a\r\nb\n\"c\r\nd\"\r\ntorn");
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "\"c", "d\"", "torn"}));

    // Serials a spreadsheet would turn into a formula, a number or a date
    // are written ="SERIAL", which it shows as the text, and read back.
    const struct {
        const char* serial;
        const char* field; // as written between the commas
    } serials[] = {
        {"SN-24017", "SN-24017"}, {"AB12", "AB12"},       {"E", "E"},           {"a b/c:d~", "a b/c:d~"},
        {"00123", "\"=\"\"00123\"\"\""}, {"1-12", "\"=\"\"1-12\"\"\""}, {"1E5", "\"=\"\"1E5\"\"\""},
        {"12:30", "\"=\"\"12:30\"\"\""}, {"3/4", "\"=\"\"3/4\"\"\""},   {"=1+2", "\"=\"\"=1+2\"\"\""},
        {"+SN", "\"=\"\"+SN\"\"\""},     {"-SN", "\"=\"\"-SN\"\"\""},   {"@SUM(A1)", "\"=\"\"@SUM(A1)\"\"\""},
    };
    for (const auto& serial : serials) {
        SCOPED_TRACE(serial.serial);
        row.serial = serial.serial;
        const std::string written = formatHistoryRow(row);
        EXPECT_NE(written.find(std::string(",") + serial.field + ",12,"), std::string::npos) << written;
        ASSERT_TRUE(parseHistoryRow(written.substr(0, written.size() - 2), back));
        EXPECT_EQ(back.serial, serial.serial);
        EXPECT_EQ(formatHistoryRow(back), written);
    }
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
// and the pending file's emptying, a torn last line: every row once, in
// order.
TEST(Station, HistoryFilesAndThePendingFile)
{
    MemoryHistoryFiles files;
    StationHistory history(files, "H.csv", "PC-1");
    ASSERT_EQ(history.load().status, FileStatus::Missing);
    const std::string own = "H.csv.PC-1.pending";
    EXPECT_EQ(history.pendingName(), own);
    const std::string header = std::string(kHistoryHeader) + "\r\n";
    const HistoryRow r1 = unitRow("2026-12-09 08:00:00", "A", "PASS");
    const HistoryRow r2 = unitRow("2026-12-09 08:01:00", "B", "FAIL", "stuck-off", "0");
    const HistoryRow r3 = unitRow("2026-12-09 08:02:00", "C", "PASS");
    const HistoryRow r4 = unitRow("2026-12-09 08:03:00", "D", "PASS");
    const HistoryRow r5 = unitRow("2026-12-09 08:04:00", "E", "PASS");

    const struct {
        const char* step;
        const HistoryRow& row;
        bool historyHeld, pendingUnwritable, pendingUnclearable;
        StationHistory::Place place;
        std::string history; // the history file afterwards
        std::string pending; // the own pending file afterwards
        unsigned waitedMs;   // the banner's last wait; 0: none
    } steps[] = {
        {"a new file gets its header", r1, false, false, false, StationHistory::Place::History,
         header + formatHistoryRow(r1), "", 0},
        {"held by another program: waited for, then pending", r2, true, false, false, StationHistory::Place::Pending,
         header + formatHistoryRow(r1), formatHistoryRow(r2), kHoldWaitMs},
        {"free again, but the pending file stays (a kill)", r3, false, false, true, StationHistory::Place::History,
         header + formatHistoryRow(r1) + formatHistoryRow(r2) + formatHistoryRow(r3),
         formatHistoryRow(r2) + formatHistoryRow(r3), 0},
        {"rows already there are not written again", r4, false, false, false, StationHistory::Place::History,
         header + formatHistoryRow(r1) + formatHistoryRow(r2) + formatHistoryRow(r3) + formatHistoryRow(r4), "", 0},
        {"neither file: held in memory", r5, true, true, false, StationHistory::Place::Memory,
         header + formatHistoryRow(r1) + formatHistoryRow(r2) + formatHistoryRow(r3) + formatHistoryRow(r4), "",
         kHoldWaitMs},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        files.held.clear();
        files.undeletable.clear();
        files.unwritable.clear();
        if (step.historyHeld)
            files.held.insert("H.csv");
        if (step.pendingUnwritable)
            files.unwritable.insert(own);
        if (step.pendingUnclearable)
            files.undeletable.insert(own);
        unsigned waited = 0;
        const StationHistory::Written written = history.append(step.row, [&](unsigned ms) { waited = ms; });
        EXPECT_EQ(written.place, step.place);
        EXPECT_EQ(written.history.done(), !step.historyHeld);
        EXPECT_EQ(waited, step.waitedMs);
        files.held.clear();
        EXPECT_EQ(files.files["H.csv"], step.history);
        EXPECT_EQ(files.files[own], step.pending);
    }
    // The row held in memory arrives with the next, in its place.
    files.unwritable.clear();
    const HistoryRow r6 = unitRow("2026-12-09 08:05:00", "F", "PASS");
    EXPECT_EQ(history.append(r6).place, StationHistory::Place::History);
    const std::string all = header + formatHistoryRow(r1) + formatHistoryRow(r2) + formatHistoryRow(r3) +
                            formatHistoryRow(r4) + formatHistoryRow(r5) + formatHistoryRow(r6);
    EXPECT_EQ(files.files["H.csv"], all);
    EXPECT_EQ(history.rows().size(), 6u);

    // A start reads the rows back once each, a left pending file's too; a
    // torn last line is ended before the next row and named, not read.
    files.files["H.csv"] = all + formatHistoryRow(r1).substr(0, 30);
    const HistoryRow r7 = unitRow("2026-12-09 08:06:00", "G", "PASS");
    files.files["H.csv.PC-9.pending"] = formatHistoryRow(r6) + formatHistoryRow(r7);
    StationHistory again(files, "H.csv", "PC-2");
    ASSERT_TRUE(again.load().done());
    ASSERT_EQ(again.rows().size(), 7u);
    EXPECT_EQ(again.rows()[6].serial, "G");
    ASSERT_EQ(again.damaged().size(), 1u);
    EXPECT_EQ(formatDamagedLines(again.damaged()[0]), "1 damaged line in H.csv, line 8");
    const HistoryRow r8 = unitRow("2026-12-09 08:07:00", "H", "PASS");
    EXPECT_EQ(again.append(r8).place, StationHistory::Place::History);
    EXPECT_EQ(files.files["H.csv"], all + formatHistoryRow(r1).substr(0, 30) + "\r\n" + formatHistoryRow(r7) +
                                        formatHistoryRow(r8));
    EXPECT_EQ(files.files.count("H.csv.PC-9.pending"), 0u);

    // A history that cannot be read keeps the station from opening.
    files.held.insert("H.csv");
    StationHistory held(files, "H.csv", "PC-3");
    EXPECT_EQ(held.load().status, FileStatus::InUse);
    // At start a station holding it for a moment is waited for.
    unsigned waits = 0;
    files.releaseAfter = files.pauses + 3;
    EXPECT_TRUE(held.load([&](unsigned) { ++waits; }).done());
    EXPECT_EQ(waits, 3u);
    EXPECT_EQ(held.rows().size(), 8u);
    EXPECT_EQ(formatHistoryTrouble("H.csv", "used", "H.csv.pending", "", true),
              "기록 파일 \"H.csv\"에 쓰지 못함 (used): \"H.csv.pending\"에 보관, 다음 유닛 때 옮김");
    EXPECT_EQ(formatHistoryWait("H.csv", 1200), "기록 파일 \"H.csv\"을 다른 스테이션이 쓰는 중: 기다리는 중 (1.2초)");
}

// Two stations on one history, as two programs on a share: attempts
// numbered across both, a live program's pending file left to it, a
// killed one's taken by the next, an older version's single pending file
// and the rows written beside the program at an end merged too.
TEST(Station, TwoStationsShareOneHistory)
{
    MemoryHistoryFiles files;
    StationHistory a(files, "H.csv", "PC-1", "prog\\H.csv.unwritten");
    auto b = std::make_unique<StationHistory>(files, "H.csv", "PC-2");
    ASSERT_EQ(a.load().status, FileStatus::Missing);
    ASSERT_EQ(b->load().status, FileStatus::Missing); // read before a's rows
    for (const char* time : {"2026-12-09 08:00:00", "2026-12-09 08:01:00", "2026-12-09 08:02:00"})
        EXPECT_EQ(a.append(unitRow(time, "SN-7", "FAIL", "stuck-off", "0")).place, StationHistory::Place::History);
    const StationHistory::Written fourth = b->append(unitRow("2026-12-09 08:03:00", "SN-7", "FAIL", "stuck-off", "0"));
    EXPECT_EQ(fourth.row.attempt, 4u);
    EXPECT_EQ(failCount(b->rows(), "SN-7"), 4u);
    EXPECT_EQ(b->rows().size(), 4u);

    // a's row waits in a's pending file (a spreadsheet held the history);
    // b's merge leaves that live file to a, and a's next merge brings it.
    files.held.insert("H.csv");
    files.releaseAfter = files.pauses + 2;
    const HistoryRow waiting = unitRow("2026-12-09 08:04:00", "SN-8", "PASS");
    EXPECT_EQ(a.append(waiting).place, StationHistory::Place::History); // the hold came after two pauses
    files.held.insert("H.csv");
    files.releaseAfter = 0;
    const HistoryRow pending = unitRow("2026-12-09 08:05:00", "SN-9", "PASS");
    EXPECT_EQ(a.append(pending).place, StationHistory::Place::Pending);
    files.held.clear();
    EXPECT_EQ(b->append(unitRow("2026-12-09 08:06:00", "SN-8", "PASS")).row.attempt, 2u);
    EXPECT_EQ(files.files["H.csv.PC-1.pending"], formatHistoryRow(pending));
    EXPECT_EQ(b->rows().size(), 7u); // a's pending row counts for b's yield

    // b is killed with a row in its pending file; an older version left
    // H.csv.pending; a row was written beside the program at an end.
    files.held.insert("H.csv");
    const HistoryRow killed = unitRow("2026-12-09 08:07:00", "SN-10", "PASS", "ok", "out1", "PC2");
    EXPECT_EQ(b->append(killed).place, StationHistory::Place::Pending);
    files.held.clear();
    files.undeletable.insert("H.csv.PC-2.pending"); // no clean end: the file stays
    b.reset();
    files.undeletable.clear();
    const HistoryRow older = unitRow("2026-12-09 07:59:00", "OLD", "PASS", "ok", "out1", "PC3");
    const HistoryRow beside = unitRow("2026-12-09 07:58:00", "BESIDE", "PASS", "ok", "out1", "PC3");
    files.files["H.csv.pending"] = formatHistoryRow(older);
    files.files["prog\\H.csv.unwritten"] = formatHistoryRow(beside);
    EXPECT_EQ(a.append(unitRow("2026-12-09 08:08:00", "SN-11", "PASS")).place, StationHistory::Place::History);
    const std::string& bytes = files.files["H.csv"];
    for (const HistoryRow* row : {&pending, &killed, &older, &beside}) {
        SCOPED_TRACE(row->serial);
        const std::size_t at = bytes.find(formatHistoryRow(*row));
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(bytes.find(formatHistoryRow(*row), at + 1), std::string::npos); // once
    }
    for (const char* gone : {"H.csv.PC-2.pending", "H.csv.pending", "prog\\H.csv.unwritten"})
        EXPECT_EQ(files.files.count(gone), 0u) << gone;
    EXPECT_EQ(files.files["H.csv.PC-1.pending"], "");
    StationHistory reader(files, "H.csv", "PC-4");
    ASSERT_TRUE(reader.load().done());
    EXPECT_EQ(reader.rows().size(), 11u);
    EXPECT_TRUE(reader.damaged().empty());
}

// The end of a station: rows not in the history get one more try; those
// still left are named with where they wait.
TEST(Station, RowsLeftAtTheEndAreNamed)
{
    const HistoryRow r1 = unitRow("2026-12-09 08:00:00", "A", "PASS");
    const struct {
        const char* name;
        bool historyHeld, pendingUnwritable, besideUnwritable;
        std::size_t left;
        const char* file; // where they wait
        bool text;        // the rows' bytes in the box
    } rows[] = {
        {"free at the end: written", true, false, false, 0, "", false},
        {"in the pending file", true, false, false, 1, "H.csv.PC-1.pending", false},
        {"only in memory: beside the program", true, true, false, 1, "prog\\H.csv.unwritten", false},
        {"nowhere: the box holds the row", true, true, true, 1, "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryHistoryFiles files;
        StationHistory history(files, "H.csv", "PC-1", "prog\\H.csv.unwritten");
        files.held.insert("H.csv");
        if (row.pendingUnwritable)
            files.unwritable.insert("H.csv.PC-1.pending");
        history.append(r1);
        if (row.left != 0 && row.besideUnwritable)
            files.unwritable.insert("prog\\H.csv.unwritten");
        if (row.left == 0)
            files.held.clear();
        const StationHistory::Left left = history.flushAtEnd();
        EXPECT_EQ(left.rows.size(), row.left);
        EXPECT_EQ(left.file, row.file);
        EXPECT_EQ(left.text, row.text ? formatHistoryRow(r1) : "");
        if (row.left == 0)
            EXPECT_EQ(files.files["H.csv"], std::string(kHistoryHeader) + "\r\n" + formatHistoryRow(r1));
        else
            EXPECT_NE(formatRowsLeft("H.csv", left.rows, left.file, left.text).find("A (시험 1회째, 2026-12-09 08:00:00)"),
                      std::string::npos);
    }
}

// Lines that are no row: each file's are counted and named, and no later
// row is hidden or written twice.
TEST(Station, TornAndForeignLinesAreNamed)
{
    const HistoryRow r1 = unitRow("2026-12-09 08:00:00", "A", "PASS");
    const HistoryRow r2 = unitRow("2026-12-09 08:01:00", "B", "PASS");
    const std::string header = std::string(kHistoryHeader) + "\r\n";
    const std::string row1 = formatHistoryRow(r1), row2 = formatHistoryRow(r2);
    const struct {
        const char* name;
        std::string history, pending;
        std::size_t rows;
        const char* named; // "": none
    } rows[] = {
        {"torn inside a quoted field", header + "2026-12-09 07:00:00,L,\"S\r\n" + row1 + row2, "", 2,
         "1 damaged line in H.csv, line 2"},
        {"a spreadsheet's re-saved time", header + "2026-12-09 07:00,L,S,1,PASS,proved,59,20,0,present,ok,ok,ok,"
                                                   "out0,out1,out2,0,1.0.0.1\r\n" + row1,
         "", 1, "1 damaged line in H.csv, line 2"},
        {"three torn, LF alone ends a line too", header + "x\n" + row1 + "\"\r\n\"y\r\n" + row2, "", 2,
         "3 damaged lines in H.csv, lines 2, 4, 5"},
        {"a torn pending tail swallows nothing", header + row1, row2.substr(0, 25) + "\"", 1,
         "1 damaged line in H.csv.PC-9.pending, line 1"},
        {"blank lines and a second header are no damage", header + "\r\n" + row1 + header + row2, "", 2, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryHistoryFiles files;
        files.files["H.csv"] = row.history;
        if (!row.pending.empty())
            files.files["H.csv.PC-9.pending"] = row.pending;
        StationHistory history(files, "H.csv", "PC-1");
        ASSERT_TRUE(history.load().done());
        EXPECT_EQ(history.rows().size(), row.rows);
        std::string named;
        for (const DamagedLines& damage : history.damaged())
            named += formatDamagedLines(damage);
        EXPECT_EQ(named, row.named);
        // The next row lands once, after all of them.
        const HistoryRow r3 = unitRow("2026-12-09 09:00:00", "A", "PASS");
        const StationHistory::Written written = history.append(r3);
        EXPECT_EQ(written.row.attempt, 2u);
        const std::string& bytes = files.files["H.csv"];
        EXPECT_EQ(bytes.substr(bytes.size() - formatHistoryRow(written.row).size()), formatHistoryRow(written.row));
        EXPECT_EQ(bytes.find(row1), bytes.rfind(row1));
        EXPECT_EQ(history.rows().size(), row.rows + 1);
    }
    // The own pending file's name with a torn tail (a program of the same
    // process id before a power cut): the next row starts a line of its own.
    MemoryHistoryFiles files;
    files.files["H.csv.PC-1.pending"] = row2.substr(0, 25);
    files.held.insert("H.csv");
    StationHistory history(files, "H.csv", "PC-1");
    const StationHistory::Written written = history.append(r1);
    EXPECT_EQ(written.place, StationHistory::Place::Pending);
    EXPECT_EQ(files.files["H.csv.PC-1.pending"], row2.substr(0, 25) + "\r\n" + formatHistoryRow(written.row));
}
