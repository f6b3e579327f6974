// Station mode (/station) as a line's operator works it: a barcode reader
// types each unit's serial and Enter into the serial field, the unit on
// the fixture is tested, the banner shows its verdict and the history
// gains its row. The simulated unit on the port is swapped between units
// through ZORIK_SIM_FILE, as an operator swaps units on the fixture.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
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
    return splitRows(bytes, "\r\n", ',');
}

// The rows waiting in the pending files beside history.csv.
std::size_t pendingRows(const WorkDir& dir) {
    std::size_t rows = 0;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(dir.pathOf("history.csv.*.pending").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        // Opened as the program shares its own: for reading.
        const HANDLE file = CreateFileA(dir.pathOf(found.cFileName).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        char bytes[4096];
        DWORD got = 0;
        if (file != INVALID_HANDLE_VALUE && ReadFile(file, bytes, sizeof bytes, &got, nullptr))
            for (DWORD i = 0; i < got; ++i)
                rows += bytes[i] == '\n';
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return rows;
}

enum Column { kSerial = 2, kAttempt = 3, kVerdict = 4, kEnded = 5, kCycles = 6, kInput0 = 10, kRule0 = 13,
              kFixtureSuspect = 16 };

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
        ASSERT_TRUE(unitDone(dialog, unit.banner, kUnitTimeout));
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
    ASSERT_TRUE(unitDone(dialog, "INCOMPLETE  SN-C  (시험 1회째)", kUnitTimeout));
    const auto after = csvRows(dir.readFile("history.csv").value_or(""));
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(after[4][kVerdict], "INCOMPLETE");
    EXPECT_EQ(after[4][kEnded], "early");
}

// Three different units failing alike: the fixture is suspect on the
// third. The history held open by another program meanwhile: the row waits
// in the program's own pending file and arrives, once, with the next unit's.
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
        ASSERT_TRUE(unitDone(dialog, std::string("FAIL  ") + serials[i] + "  (시험 1회째)", kUnitTimeout));
        const std::string banner = dialog.text(kBanner);
        EXPECT_EQ(banner.find(cp949("경고: ")) != std::string::npos, i >= 2) << quotedText(banner);
        // Held: waited for (5 s), then the row waits in this program's own
        // pending file, history.csv.COMPUTER-PID.pending.
        EXPECT_EQ(banner.find(".pending") != std::string::npos, i == 2) << quotedText(banner);
        EXPECT_EQ(pendingRows(dir), i == 2 ? 1u : 0u);
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

// One station of two on one history: its program, and the serial under
// test with the banner it showed before.
struct Station {
    std::unique_ptr<ZorikSession> zorik;
    std::string serial;
    std::string before;
    bool testing = false;
};

// Two programs on one history.csv (a folder on a share is one folder here),
// each testing units with serials drawn from a small pool (two differing
// only in case): every unit's row once, attempts numbered across both in
// the file's order, both yield lines alike at the end. Then one program is
// killed at random points and started again: nothing lost or doubled.
TEST(Station, TwoStationsOnOneHistory) {
    const auto start = std::chrono::steady_clock::now();
    WorkDir dir;
    Fixture fixture(dir);
    fixture.put("");
    dir.makeDirectory("units");
    const std::string arguments = "/station:history.csv /cycles:1 /units:units";
    const unsigned seed = static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count() % 100000);
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    const char* const pool[] = {"P-1", "P-2", "P-3", "ab-7", "AB-7", "00123"};
    const auto draw = [&] { return std::string(pool[random() % (sizeof pool / sizeof pool[0])]); };
    std::vector<std::string> done; // serials whose banner showed them tested

    Station stations[2];
    for (Station& station : stations) {
        station.zorik = std::make_unique<ZorikSession>(dir, "", arguments);
        ASSERT_NE(station.zorik->dialog().control(kSerialField), nullptr);
    }
    // A unit's banner once its row is written: "PASS  SERIAL  (시험 N회째)".
    const auto finished = [&](Station& station) {
        const std::string banner = station.zorik->dialog().text(kBanner);
        return banner != station.before && banner.rfind("PASS  " + station.serial + "  (", 0) == 0;
    };
    const auto begin = [&](Station& station) {
        station.serial = draw();
        station.before = station.zorik->dialog().text(kBanner);
        station.zorik->dialog().typeLine(kSerialField, station.serial);
        station.testing = true;
    };
    // Both stations test side by side, `units` each.
    const auto testSideBySide = [&](int units, Station* killable, int killAfter) {
        int begun[2] = {0, 0};
        while (begun[0] < units || begun[1] < units || stations[0].testing || stations[1].testing) {
            for (int s = 0; s < 2; ++s) {
                Station& station = stations[s];
                if (station.testing && finished(station)) {
                    done.push_back(station.serial);
                    station.testing = false;
                }
                if (!station.testing && begun[s] < units) {
                    begin(station);
                    ++begun[s];
                }
            }
            // A kill at a random point of a unit: under way, writing its row, or between.
            if (killable != nullptr && begun[killable - stations] == killAfter && killable->testing) {
                pauseAnsweringMessages(Millis(random() % 700));
                if (finished(*killable))
                    done.push_back(killable->serial);
                killable->zorik->process().kill();
                killable->testing = false;
                killable->zorik = std::make_unique<ZorikSession>(dir, "", arguments);
                (void)killable->zorik->dialog();
                killable = nullptr;
            }
            ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(150)) << "units too slow";
            pauseAnsweringMessages(Millis(30));
        }
    };
    testSideBySide(20, nullptr, 0);
    ASSERT_FALSE(HasFatalFailure());

    // Both yield lines follow every row, the other station's too.
    const auto yieldAlike = [&] {
        const std::string a = stations[0].zorik->dialog().text(kYieldLine);
        return !a.empty() && a == stations[1].zorik->dialog().text(kYieldLine);
    };
    EXPECT_TRUE(waitUntil(yieldAlike, Millis(8000), Millis(100)))
        << quotedText(stations[0].zorik->dialog().text(kYieldLine)) << " / "
        << quotedText(stations[1].zorik->dialog().text(kYieldLine));
    const auto firstRows = csvRows(dir.readFile("history.csv").value_or(""));
    EXPECT_EQ(firstRows.size(), 41u);
    std::set<std::string> distinct(done.begin(), done.end());
    EXPECT_NE(stations[0].zorik->dialog().text(kYieldLine).find(": " + std::to_string(distinct.size()) + cp949("대")),
              std::string::npos)
        << quotedText(stations[0].zorik->dialog().text(kYieldLine));

    // Killed three times at random points, started again each time.
    const std::size_t beforeKills = done.size();
    for (int kill = 0; kill < 3; ++kill) {
        testSideBySide(2, &stations[1], 1 + static_cast<int>(random() % 2));
        ASSERT_FALSE(HasFatalFailure());
    }
    // One more unit each, to merge what a killed program left.
    testSideBySide(1, nullptr, 0);
    for (Station& station : stations) {
        station.zorik->dialog().pressCloseBox();
        auto question = MessageBoxWindow::waitFor(station.zorik->processId(), kReactionTimeout);
        ASSERT_TRUE(question);
        ASSERT_TRUE(question->answer(IDNO, kReactionTimeout));
        EXPECT_TRUE(endsNormally(*station.zorik, kExitTimeout, 0));
    }

    const auto bytes = dir.readFile("history.csv");
    ASSERT_TRUE(bytes);
    const auto rows = csvRows(*bytes);
    ASSERT_GE(rows.size(), 1u);
    // Every unit tested to its banner, once; a unit killed under way at
    // most once more. Attempts 1, 2, 3 ... per serial in the file's order.
    std::map<std::string, int> attempts;
    std::multiset<std::string> inFile;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(rows[i].size(), 18u) << escapedBytes(*bytes);
        std::string serial = rows[i][kSerial];
        if (serial.rfind("\"=\"\"", 0) == 0) // ="00123", kept as text by a spreadsheet
            serial = serial.substr(4, serial.size() - 7);
        EXPECT_EQ(rows[i][kAttempt], std::to_string(++attempts[serial])) << serial;
        inFile.insert(serial);
    }
    std::multiset<std::string> tested(done.begin(), done.end());
    for (const std::string& serial : distinct)
        EXPECT_GE(inFile.count(serial), tested.count(serial)) << serial;
    EXPECT_GE(rows.size() - 1, done.size());
    EXPECT_LE(rows.size() - 1, done.size() + 3); // the killed units' rows, when they got that far
    EXPECT_EQ(beforeKills, 40u);
    distinct.insert(done.begin(), done.end());
    EXPECT_EQ(pendingRows(dir), 0u);
    // Each row's files, ab-7's and AB-7's apart.
    std::size_t reports = 0;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(dir.pathOf("units\\*.txt").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            ++reports;
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    EXPECT_GE(reports, done.size());
    std::printf("%zu units, %zu rows, %zu reports, %lld ms\n", done.size(), rows.size() - 1, reports,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count()));
}

} // namespace
} // namespace zorik::e2e
