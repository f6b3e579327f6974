// Station mode (/station) as a line's operator works it: a barcode reader
// types each unit's serial and Enter into the serial field, the unit on
// the fixture is tested, the banner shows its verdict and the history
// gains its row. The simulated unit on the port is swapped between units
// through ZORIK_SIM_FILE, as an operator swaps units on the fixture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cp949_text.h"
#include "expectations.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

constexpr char kHeader[] = "Time,Station,Serial,Attempt,Verdict,Ended,Cycles,Seconds,Disagreements,Unit,"
                           "Input0,Input1,Input2,Rule0,Rule1,Rule2,FixtureSuspect,Program";
// 3n cycles of /rate:5 (177, a minute) and the start, on a loaded machine.
constexpr Millis kUnitTimeout(90000);

// The unit on the fixture: ZORIK_SIM_FILE for the child only.
class Fixture {
public:
    explicit Fixture(const WorkDir& dir) : dir_(dir), path_(dir.pathOf("unit.sim")) {
        SetEnvironmentVariableA("ZORIK_SIM_FILE", path_.c_str());
    }
    ~Fixture() { SetEnvironmentVariableA("ZORIK_SIM_FILE", nullptr); }
    // A unit with these faults on the port from now on (the program looks
    // every 100 ms).
    void put(const std::string& sim) {
        dir_.writeFile("unit.sim", sim.empty() ? std::string("healthy") : sim);
        pauseAnsweringMessages(Millis(400));
    }

private:
    const WorkDir& dir_;
    std::string path_;
};

// The file's rows, split at every comma: the rows these tests make hold
// no quoted field.
std::vector<std::vector<std::string>> csvRows(const std::string& bytes) {
    std::vector<std::vector<std::string>> rows;
    for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        rows.emplace_back(1);
        for (std::size_t i = start; i < end; ++i)
            if (bytes[i] == ',')
                rows.back().emplace_back();
            else
                rows.back().back() += bytes[i];
    }
    return rows;
}

enum Column { kSerial = 2, kAttempt = 3, kVerdict = 4, kEnded = 5, kCycles = 6, kInput0 = 10, kRule0 = 13,
              kFixtureSuspect = 16 };

// The banner's first line once the unit is done: "PASS  SN-1  (시험 1회째)".
::testing::AssertionResult unitDone(const MainDialog& dialog, const std::string& firstLine) {
    const std::string expected = cp949(firstLine);
    if (waitUntil([&] { return dialog.text(kBanner).substr(0, dialog.text(kBanner).find("\r\n")) == expected; },
                  kUnitTimeout, Millis(100)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the banner reads " << quotedText(dialog.text(kBanner));
}

TEST(Station, EachUnitGetsItsRowAndEnterNeverLeaves) {
    WorkDir dir;
    Fixture fixture(dir);
    fixture.put("");
    // /rate:10: n = 29 cycles (the bounded run's rows have /rate:5's 59).
    ZorikSession zorik(dir, "", "/station:history.csv /rate:10");
    const MainDialog& dialog = zorik.dialog();
    ASSERT_NE(dialog.control(kSerialField), nullptr);
    ASSERT_TRUE(showsText(dialog, kBanner, cp949("일련번호를 스캔하거나 입력하고 Enter를 누르십시오")));

    // Nothing read, or a serial with a comma: refused in the banner, no
    // test, and the program stays.
    for (const char* bad : {"", "AB,12"}) {
        SCOPED_TRACE(bad);
        dialog.typeLine(kSerialField, bad);
        const std::string refusal = cp949("일련번호 거부: \"") + bad + "\"";
        EXPECT_TRUE(waitUntil([&] { return dialog.text(kBanner).rfind(refusal, 0) == 0; }, kReactionTimeout))
            << quotedText(dialog.text(kBanner));
        pauseAnsweringMessages(Millis(500));
        EXPECT_EQ(dialog.text(kTestButton), cp949(kTestIdleCaption));
        EXPECT_TRUE(dialog.exists());
        EXPECT_FALSE(dir.exists("history.csv"));
    }

    const struct {
        const char* sim;
        const char* serial;
        const char* banner;
        const char* attempt;
        const char* ended;
        const char* input1;
        const char* rule1;
    } units[] = {
        {"", "SN-A", "PASS  SN-A  (시험 1회째)", "1", "proved", "ok", "out1"},
        {"stuck-off=1", "SN-B", "FAIL  SN-B  (시험 1회째)", "1", "finding", "stuck-off", "0"},
        {"", "SN-A", "PASS  SN-A  (시험 2회째)", "2", "proved", "ok", "out1"},
    };
    for (const auto& unit : units) {
        SCOPED_TRACE(unit.serial);
        fixture.put(unit.sim);
        dialog.typeLine(kSerialField, unit.serial);
        ASSERT_TRUE(unitDone(dialog, unit.banner));
        // Cleared and ready for the next scan.
        EXPECT_EQ(dialog.text(kSerialField), "");
    }
    EXPECT_NE(dialog.text(kYieldLine).find(cp949("2대, 첫 통과율 50.0% (1/2), 최종 수율 50.0% (1/2)")),
              std::string::npos)
        << quotedText(dialog.text(kYieldLine));
    // Enter in the empty field once more: still there.
    dialog.typeLine(kSerialField, "");
    pauseAnsweringMessages(Millis(1000));
    EXPECT_TRUE(dialog.exists());

    const auto bytes = dir.readFile("history.csv");
    ASSERT_TRUE(bytes);
    const auto rows = csvRows(*bytes);
    ASSERT_EQ(rows.size(), 4u) << escapedBytes(*bytes);
    EXPECT_EQ(bytes->substr(0, bytes->find("\r\n")), kHeader);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const auto& row = rows[i + 1];
        ASSERT_EQ(row.size(), 18u);
        EXPECT_EQ(row[kSerial], units[i].serial);
        EXPECT_EQ(row[kAttempt], units[i].attempt);
        EXPECT_EQ(row[kVerdict], std::string(units[i].banner).substr(0, 4));
        EXPECT_EQ(row[kEnded], units[i].ended);
        EXPECT_EQ(row[kInput0], "ok");
        EXPECT_EQ(row[kInput0 + 1], units[i].input1);
        EXPECT_EQ(row[kRule0 + 1], units[i].rule1);
        EXPECT_EQ(row[kFixtureSuspect], "0");
        // A healthy unit ends after exactly n = 29 cycles, a failing one
        // before 3n.
        if (*units[i].sim == '\0')
            EXPECT_EQ(row[kCycles], "29");
        else
            EXPECT_LT(std::stoi(row[kCycles]), 87);
    }

    // Test during a unit ends it early: INCOMPLETE, and its row says so.
    dialog.typeLine(kSerialField, "SN-C");
    ASSERT_TRUE(waitUntil([&] { return dialog.text(kBanner).rfind(cp949("시험 중: SN-C"), 0) == 0; }, kReactionTimeout));
    ASSERT_TRUE(showsText(dialog, kTestButton, cp949(kTestRunningCaption)));
    dialog.click(kTestButton);
    ASSERT_TRUE(unitDone(dialog, "INCOMPLETE  SN-C  (시험 1회째)"));
    const auto after = csvRows(dir.readFile("history.csv").value_or(""));
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(after[4][kVerdict], "INCOMPLETE");
    EXPECT_EQ(after[4][kEnded], "early");
}

// Three different units failing alike: the fixture is suspect on the
// third. The history held open by another program meanwhile: the row waits
// in HISTORY.csv.pending and arrives, once, with the next unit's.
TEST(Station, FixtureSuspectAndAHistoryHeldOpen) {
    WorkDir dir;
    Fixture fixture(dir);
    fixture.put("stuck-off=2");
    dir.makeDirectory("units");
    ZorikSession zorik(dir, "", "/station:history.csv /rate:5 /units:units");
    const MainDialog& dialog = zorik.dialog();
    const char* serials[] = {"U1", "U2", "U3", "U4"};
    HANDLE held = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(serials[i]);
        if (i == 2) // as a spreadsheet holds it: others may read, not write
            held = CreateFileA(dir.pathOf("history.csv").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (i == 3) {
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
            CloseHandle(held);
        }
        dialog.typeLine(kSerialField, serials[i]);
        ASSERT_TRUE(unitDone(dialog, std::string("FAIL  ") + serials[i] + "  (시험 1회째)"));
        const std::string banner = dialog.text(kBanner);
        EXPECT_EQ(banner.find(cp949("경고: ")) != std::string::npos, i >= 2) << quotedText(banner);
        EXPECT_EQ(banner.find("history.csv.pending") != std::string::npos, i == 2) << quotedText(banner);
        EXPECT_EQ(dir.exists("history.csv.pending"), i == 2);
        EXPECT_TRUE(dir.exists("units\\" + std::string(serials[i]) + "-1.txt"));
        EXPECT_TRUE(dir.exists("units\\" + std::string(serials[i]) + "-1.ini"));
    }
    const auto bytes = dir.readFile("history.csv");
    ASSERT_TRUE(bytes);
    const auto rows = csvRows(*bytes);
    ASSERT_EQ(rows.size(), 5u) << escapedBytes(*bytes);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(serials[i]);
        EXPECT_EQ(rows[i + 1][kSerial], serials[i]);
        EXPECT_EQ(rows[i + 1][kInput0 + 2], "stuck-off");
        EXPECT_EQ(rows[i + 1][kFixtureSuspect], i >= 2 ? "1" : "0");
    }
    // The unit's result file, as a batch file reads it.
    char ended[32] = "";
    GetPrivateProfileStringA("Result", "Ended", "(none)", ended, sizeof ended, dir.pathOf("units\\U1-1.ini").c_str());
    EXPECT_STREQ(ended, "finding");

    // The exit button during a unit leaves as always, the unit recorded
    // first as ended early.
    dialog.typeLine(kSerialField, "U5");
    ASSERT_TRUE(showsText(dialog, kTestButton, cp949(kTestRunningCaption)));
    dialog.click(kExitButton);
    auto question = MessageBoxWindow::waitFor(zorik.processId(), kReactionTimeout);
    ASSERT_TRUE(question);
    ASSERT_TRUE(question->answer(IDNO, kReactionTimeout));
    EXPECT_TRUE(endsNormally(zorik, kExitTimeout, 0));
    const auto last = csvRows(dir.readFile("history.csv").value_or("")).back();
    EXPECT_EQ(last[kSerial], "U5");
    EXPECT_EQ(last[kEnded], "early");
}

} // namespace
} // namespace zorik::e2e
