// The line's database (/line) with a real PostgreSQL server of the tests'
// own (tests/e2e/line/line_database.sh, made by CTest before these run,
// on 127.0.0.1 and a free port), reached the way a bench PC reaches it:
// Wine's odbc32.dll, unixODBC and the 32-bit psqlODBC driver. Rows are read
// back with psql, in UTF-8, as a line's engineer would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
#include "line_outbox.h"
#include "line_sync.h"
#include "windows_history_files.h"
#include "windows_odbc.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

constexpr Millis kUnitTimeout(60000);
// How long the station's thread may take to hand a row to the database
// (it connects, finds the row absent, inserts and commits).
constexpr Millis kArrivalTimeout(20000);

// The server of this test: its folder (a Unix path), its script, its port
// and password.
class LineServer {
public:
    LineServer() {
        const char* dir = std::getenv("ZORIK_LINE_DB");
        const char* script = std::getenv("ZORIK_LINE_DB_SCRIPT");
        dir_ = dir != nullptr ? dir : "";
        script_ = script != nullptr ? script : "";
        port_ = firstLine(readWindowsFile(windowsPath(dir_ + "/port")));
        password_ = firstLine(readWindowsFile(windowsPath(dir_ + "/password")));
    }
    bool ready() const { return !port_.empty() && !password_.empty(); }
    const std::string& password() const { return password_; }

    std::string connectionString(const std::string& password) const {
        return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + port_ +
               ";Database=zorikline;Uid=zorik;Pwd=" + password;
    }
    // "/line:..." quoted for the command line.
    std::string lineArgument(const std::string& password) const {
        return "/line:\"" + connectionString(password) + "\"";
    }

    void stop() const { runUntil("stop " + dir_); }
    void start() const { runUntil("start " + dir_); }

    // psql's rows (fields split at "|"), as UTF-8.
    std::vector<std::vector<std::string>> query(const std::string& sql) const {
        static int number = 0;
        const std::string name = dir_ + "/q" + std::to_string(++number);
        writeWindowsFile(windowsPath(name + ".sql"), sql);
        run("query " + dir_ + " " + name + ".out " + name + ".sql");
        waitForFile(windowsPath(name + ".out"));
        return splitRows(readWindowsFile(windowsPath(name + ".out")), "\n", '|');
    }
    std::size_t count(const std::string& where = "true") const {
        const auto rows = query("SELECT COUNT(*) FROM zorik_unit WHERE " + where + ";");
        return rows.size() == 1 && rows[0].size() == 1 ? std::stoul(rows[0][0]) : 0;
    }

private:
    static std::string windowsPath(std::string unixPath) {
        for (char& c : unixPath)
            if (c == '/')
                c = '\\';
        return "Z:" + unixPath;
    }
    static std::string readWindowsFile(const std::string& path) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return "";
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got != 0)
            bytes.append(buffer, got);
        CloseHandle(file);
        return bytes;
    }
    static void writeWindowsFile(const std::string& path, const std::string& bytes) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    static void waitForFile(const std::string& path) {
        EXPECT_TRUE(waitUntil([&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; },
                              Millis(60000), Millis(50)))
            << path;
    }
    void runUntil(const std::string& arguments) const {
        static int number = 0;
        const std::string done = dir_ + "/done" + std::to_string(++number);
        run(arguments + " " + done);
        waitForFile(windowsPath(done));
    }
    static std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }
    // Wine starts a Unix program as it starts a Windows one, but neither
    // its end nor its exit code comes back: callers wait for what it makes.
    void run(const std::string& arguments) const {
        std::string command = "/bin/bash " + script_ + " " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            ADD_FAILURE() << "cannot run " << command;
            return;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    std::string dir_, script_, port_, password_;
};

// The rows waiting for the database in the station's outbox files
// (history.csv.OWNER.line), in bytes.
std::size_t outboxBytes(const WorkDir& dir) {
    std::size_t bytes = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(dir.pathOf("history.csv.*.line").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do
        bytes += found.nFileSizeLow;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return bytes;
}

bool contains(const std::string& cp949Text, const char* utf8) {
    return cp949Text.find(cp949(utf8)) != std::string::npos;
}

// Two stations on one database, each with its own history: 20 units each
// from one pool of serials. Every row arrives once, and a serial's
// attempts count both stations' rows, as each banner shows.
TEST(LineDatabase, TwoStationsNumberAttemptsAcrossTheLine) {
    LineServer server;
    ASSERT_TRUE(server.ready());
    WorkDir dirA, dirB;
    // Station B names the data source the ODBC administrator set up.
    ZorikSession stationA(dirA, "", "/station:history.csv /cycles:2 " + server.lineArgument(server.password()));
    ZorikSession stationB(dirB, "", "/station:history.csv /cycles:2 /line:ZorikLine");
    const MainDialog& a = stationA.dialog();
    const MainDialog& b = stationB.dialog();
    const char* pool[] = {"P-1", "P-2", "P-3", "O'NEIL-4", "P-5", "P-6"};
    std::map<std::string, int> tested;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        const std::string serialA = pool[round % 6], serialB = pool[(round + 3) % 6];
        a.typeLine(kSerialField, serialA);
        b.typeLine(kSerialField, serialB);
        const int attemptA = ++tested[serialA], attemptB = ++tested[serialB];
        ASSERT_TRUE(unitDone(a, "PASS  " + serialA + "  (시험 " + std::to_string(attemptA) + "회째)", kUnitTimeout));
        ASSERT_TRUE(unitDone(b, "PASS  " + serialB + "  (시험 " + std::to_string(attemptB) + "회째)", kUnitTimeout));
        // Both rows in the database before the next units are scanned, as
        // units move along a line in minutes, not milliseconds.
        ASSERT_TRUE(waitUntil([&] { return server.count() == 2u * (round + 1); }, kArrivalTimeout, Millis(200)))
            << server.count();
    }
    const auto rows = server.query("SELECT serial, attempt, COUNT(*) FROM zorik_unit GROUP BY serial, attempt "
                                   "ORDER BY serial, attempt;");
    std::map<std::string, int> attempts;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u);
        EXPECT_EQ(row[2], "1") << row[0] << " attempt " << row[1] << " twice";
        EXPECT_EQ(std::stoi(row[1]), ++attempts[row[0]]) << row[0];
    }
    EXPECT_EQ(attempts, tested);
    // Attempts follow the rows' times across both stations.
    EXPECT_TRUE(server.query("SELECT serial FROM (SELECT serial, attempt, ROW_NUMBER() OVER (PARTITION BY serial "
                             "ORDER BY time, attempt) AS nth FROM zorik_unit) AS r WHERE attempt <> nth;").empty());
    // The serial with a quote arrived as written, bound, not pasted.
    EXPECT_EQ(server.count("serial = 'O''NEIL-4'"), static_cast<std::size_t>(tested["O'NEIL-4"]));
    // Each station's yield line counts the line's units too.
    EXPECT_TRUE(contains(a.text(kYieldLine), "오늘 라인: 6대, 첫 통과율 100.0% (6/6), 최종 수율 100.0% (6/6)"))
        << quotedText(a.text(kYieldLine));
    EXPECT_TRUE(contains(b.text(kYieldLine), "오늘 라인: 6대")) << quotedText(b.text(kYieldLine));
    // The views a spreadsheet reads. Both Zoriks run on one computer here,
    // so they are one station by name (their rows differ by attempt).
    const auto yield = server.query("SELECT COUNT(*), SUM(units), SUM(first_time_units), SUM(first_passed), "
                                    "SUM(finally_passed), MIN(final_yield) FROM zorik_yield_daily;");
    ASSERT_EQ(yield.size(), 1u);
    EXPECT_EQ(yield[0], (std::vector<std::string>{"1", "6", "6", "6", "6", "100.0"}));
    for (const WorkDir* dir : {&dirA, &dirB})
        EXPECT_EQ(outboxBytes(*dir), 0u);
}

// The server stopped between units and started again: the station tests
// on, says the database is away and how many rows wait, and every row
// arrives once, in order, when it is back.
TEST(LineDatabase, ServerStoppedAndStartedAgain) {
    LineServer server;
    ASSERT_TRUE(server.ready());
    WorkDir dir;
    ZorikSession station(dir, "", "/station:history.csv /cycles:2 " + server.lineArgument(server.password()));
    const MainDialog& dialog = station.dialog();
    const char* serials[] = {"S-1", "S-2", "S-3", "S-4"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(serials[i]);
        if (i == 1)
            server.stop();
        if (i == 3)
            server.start();
        dialog.typeLine(kSerialField, serials[i]);
        ASSERT_TRUE(unitDone(dialog, std::string("PASS  ") + serials[i] + "  (시험 1회째)", kUnitTimeout));
        if (i == 1 || i == 2) {
            const std::string waiting = std::string("라인 DB 연결 안 됨: ") + std::to_string(i) + "행 대기";
            EXPECT_TRUE(waitUntil([&] { return contains(dialog.text(kYieldLine), waiting.c_str()); }, kArrivalTimeout,
                                  Millis(100)))
                << quotedText(dialog.text(kYieldLine));
            EXPECT_TRUE(contains(dialog.text(kBanner), "라인 DB 연결 안 됨")) << quotedText(dialog.text(kBanner));
            EXPECT_NE(outboxBytes(dir), 0u);
        } else {
            ASSERT_TRUE(waitUntil([&] { return server.count() == static_cast<std::size_t>(i + 1); }, kArrivalTimeout,
                                  Millis(200)));
        }
    }
    const auto rows = server.query("SELECT serial FROM zorik_unit ORDER BY time, serial;");
    ASSERT_EQ(rows.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rows[i][0], serials[i]);
    EXPECT_TRUE(waitUntil([&] { return outboxBytes(dir) == 0; }, kReactionTimeout));
    EXPECT_FALSE(contains(dialog.text(kYieldLine), "연결 안 됨")) << quotedText(dialog.text(kYieldLine));
    // The history has every row as well.
    const auto history = dir.readFile("history.csv");
    ASSERT_TRUE(history);
    for (const char* serial : serials)
        EXPECT_NE(history->find(std::string(",") + serial + ","), std::string::npos) << serial;
}

// Zorik killed (TerminateProcess) at random moments around a unit's end,
// then started again on the same history: every row the history holds is
// in the database once, and the database holds nothing more than the
// history and the unit killed between its outbox and its history.
TEST(LineDatabase, KilledAtRandomLosesNothing) {
    LineServer server;
    ASSERT_TRUE(server.ready());
    WorkDir dir;
    const std::string arguments = "/station:history.csv /cycles:2 " + server.lineArgument(server.password());
    unsigned seed = GetTickCount();
    SCOPED_TRACE("seed " + std::to_string(seed));
    int started = 0;
    for (int kill = 0; kill < 6; ++kill) {
        ZorikSession station(dir, "", arguments);
        const MainDialog& dialog = station.dialog();
        // A whole unit first, then one killed somewhere in its test, its
        // end or just after.
        const std::string whole = "K-" + std::to_string(started++);
        dialog.typeLine(kSerialField, whole);
        ASSERT_TRUE(waitUntil([&] { return dialog.text(kBanner).rfind(cp949("PASS  " + whole), 0) == 0; },
                              kUnitTimeout, Millis(20)));
        dialog.typeLine(kSerialField, "K-" + std::to_string(started++));
        seed = seed * 1103515245u + 12345u;
        pauseAnsweringMessages(Millis(200 + (seed >> 8) % 1200));
        station.process().kill();
    }
    {
        // The last start takes what the killed ones left and sends it.
        ZorikSession station(dir, "", arguments);
        station.dialog();
        ASSERT_TRUE(waitUntil([&] { return outboxBytes(dir) == 0; }, kArrivalTimeout, Millis(200)));
        station.process().kill();
    }
    const auto history = dir.readFile("history.csv");
    ASSERT_TRUE(history);
    std::map<std::string, int> inHistory;
    for (std::size_t start = history->find("\r\n") + 2, end; (end = history->find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string line = history->substr(start, end - start);
        const std::size_t serial = line.find(",K-");
        ++inHistory[line.substr(serial + 1, line.find(',', serial + 1) - serial - 1)];
    }
    const auto rows = server.query("SELECT serial, COUNT(*) FROM zorik_unit GROUP BY serial ORDER BY serial;");
    std::map<std::string, int> inDatabase;
    for (const auto& row : rows)
        inDatabase[row[0]] = std::stoi(row[1]);
    for (const auto& entry : inHistory) {
        EXPECT_EQ(entry.second, 1) << entry.first << " twice in the history";
        EXPECT_EQ(inDatabase[entry.first], 1) << entry.first;
    }
    int extra = 0;
    for (const auto& entry : inDatabase) {
        EXPECT_EQ(entry.second, 1) << entry.first << " twice in the database";
        extra += inHistory.count(entry.first) == 0;
    }
    EXPECT_LE(extra, 1);
    // Every whole unit is in both.
    for (int unit = 0; unit < started; unit += 2)
        EXPECT_EQ(inDatabase["K-" + std::to_string(unit)], 1) << unit;
}

// A wrong password, an unknown data source: the driver's message once,
// without the password, and a station that tests all the same.
TEST(LineDatabase, WrongPasswordAndUnknownSource) {
    LineServer server;
    ASSERT_TRUE(server.ready());
    const struct {
        std::string argument;
        const char* state;
    } sources[] = {
        // libpq's words, translated, through the driver's SQLSTATE 08001.
        {server.lineArgument("Wrong-" + server.password()), "password authentication failed for user \"zorik\""},
        {"/line:NoSuchLine", "[IM002] [unixODBC][Driver Manager]Data source name not found"},
    };
    for (const auto& source : sources) {
        SCOPED_TRACE(source.state);
        WorkDir dir;
        ZorikSession station(dir, "", "/station:history.csv /cycles:2 " + source.argument);
        const MainDialog& dialog = station.dialog();
        // Said at start, once, under the banner, which still asks for a serial.
        EXPECT_TRUE(waitUntil([&] { return contains(dialog.text(kBanner), "일련번호를 스캔하거나"); }, kReactionTimeout));
        ASSERT_TRUE(waitUntil([&] { return dialog.text(kBanner).find(source.state) != std::string::npos; },
                              kArrivalTimeout, Millis(100)))
            << quotedText(dialog.text(kBanner));
        EXPECT_EQ(dialog.text(kBanner).find(server.password()), std::string::npos);
        for (const char* serial : {"W-1", "W-2"}) {
            dialog.typeLine(kSerialField, serial);
            ASSERT_TRUE(unitDone(dialog, std::string("PASS  ") + serial + "  (시험 1회째)", kUnitTimeout));
            const std::string banner = dialog.text(kBanner);
            EXPECT_EQ(banner.find(source.state), std::string::npos) << quotedText(banner);
            EXPECT_TRUE(contains(banner, "라인 DB 연결 안 됨")) << quotedText(banner);
            EXPECT_EQ(banner.find(server.password()), std::string::npos);
        }
        EXPECT_TRUE(contains(dialog.text(kYieldLine), "라인 DB 연결 안 됨: 2행 대기"))
            << quotedText(dialog.text(kYieldLine));
        const auto history = dir.readFile("history.csv");
        ASSERT_TRUE(history);
        EXPECT_NE(history->find(",W-2,"), std::string::npos);
        EXPECT_EQ(history->find(server.password()), std::string::npos);
        EXPECT_NE(outboxBytes(dir), 0u);
    }
    EXPECT_EQ(server.count(), 0u);
}

// Korean text (a Korean computer name: Wine names every computer in
// ASCII, so the program's own ODBC side is driven here with one) and a
// quote arrive as written, read back with psql in UTF-8, with nothing
// set in the data source.
TEST(LineDatabase, KoreanAndAQuoteArriveAsWritten) {
    LineServer server;
    ASSERT_TRUE(server.ready());
    WorkDir dir;
    WindowsHistoryFiles files;
    LineOutbox outbox(files, dir.pathOf("h.csv"), "PC-1");
    WindowsOdbc odbc;
    LineSync sync(odbc, outbox, server.connectionString(server.password()));
    HistoryRow row;
    row.time = "2026-12-09 10:11:12";
    row.station = cp949("라인-3 검사대");
    row.serial = "O'NEIL-\\7";
    row.attempt = 1;
    row.verdict = "FAIL";
    row.ended = "finding";
    row.cycles = 41;
    row.seconds = 14;
    row.disagreements = 9;
    row.unit = "present";
    const char* findings[] = {"ok", "crossed", "ok"};
    const char* rules[] = {"out0", "(out1 AND NOT out2) OR (NOT out1 AND out2)", "out2"};
    for (int i = 0; i < 3; ++i) {
        row.input[i] = findings[i];
        row.rule[i] = rules[i];
    }
    row.fixtureSuspect = true;
    row.program = "1.0.0.1";
    ASSERT_TRUE(outbox.add(row).done());
    // Sent again (a run ended before the outbox went): still one row.
    ASSERT_TRUE(outbox.add(row).done());
    EXPECT_TRUE(sync.round()) << sync.state().trouble;
    const auto rows = server.query("SELECT time, station, serial, attempt, rule1, fixture_suspect, "
                                   "octet_length(station) FROM zorik_unit WHERE attempt = 1 AND cycles = 41;");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"2026-12-09 10:11:12", "라인-3 검사대", "O'NEIL-\\7", "1",
                                                 "(out1 AND NOT out2) OR (NOT out1 AND out2)", "1", "18"}));
    EXPECT_EQ(dir.readFile("h.csv.PC-1.line"), std::string());
}

} // namespace
} // namespace zorik::e2e
