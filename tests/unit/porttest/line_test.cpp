// The line's database (/line) through a stand-in database: the outbox,
// the order rows arrive in, no row twice, the table and views made when
// absent, the parameters a row is bound as, the password kept out of
// every message, and attempts and yield counted over the line's rows.
// Compiled with the program's code page (949).
#include "line_outbox.h"
#include "line_sql.h"
#include "line_sync.h"
#include "line_texts.h"
#include "memory_history_files.h"
#include "station_yield.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace zorik;

namespace {

HistoryRow lineUnit(const char* time, const char* serial, const char* verdict, const char* station = "ST1",
                    std::uint32_t attempt = 1)
{
    HistoryRow row;
    row.time = time;
    row.station = station;
    row.serial = serial;
    row.attempt = attempt;
    row.verdict = verdict;
    row.ended = std::string(verdict) == "PASS" ? "proved" : "finding";
    row.cycles = 59;
    row.seconds = 20;
    row.disagreements = std::string(verdict) == "FAIL" ? 7 : 0;
    row.unit = "present";
    for (int i = 0; i < 3; ++i) {
        row.input[i] = "ok";
        row.rule[i] = "out" + std::to_string(i);
    }
    if (std::string(verdict) == "FAIL") {
        row.input[1] = "stuck-off";
        row.rule[1] = "0";
    }
    row.program = "1.0.0.1";
    return row;
}

std::string columnText(const LineValue& value)
{
    return value.kind == LineValue::Kind::Integer ? std::to_string(value.number) : value.text;
}

// A database in memory: committed rows, a transaction's rows, the objects
// made, every statement's text; it can be away, lose the connection at
// a given statement, commit and lose the answer, refuse a serial.
class FakeLineDatabase final : public LineDatabase {
public:
    bool away = false;
    std::string awayMessage = "could not connect to server";
    int loseAtStatement = -1;    // statements from now until the connection drops
    bool loseCommitAnswer = false; // the next commit happens, its answer is lost
    std::string refusedSerial;   // an insert of it fails (a DBA's check)
    std::set<std::string> objects;
    std::vector<HistoryRow> table;
    std::vector<std::string> statements;
    std::vector<std::string> sources;
    int connects = 0;

    LineAnswer connect(const std::string& source) override
    {
        sources.push_back(source);
        if (away)
            return refusal("08001", awayMessage);
        ++connects;
        m_connected = true;
        return {};
    }
    bool connected() const override { return m_connected; }
    void disconnect() override
    {
        m_connected = false;
        m_transaction.clear();
    }
    LineAnswer execute(const std::string& sql, const std::vector<LineValue>& parameters) override
    {
        if (!m_connected)
            return refusal("08003", "no connection");
        statements.push_back(sql);
        if (away) { // the server went: the connection with it
            disconnect();
            return refusal("08S01", "server closed the connection unexpectedly");
        }
        if (loseAtStatement >= 0 && loseAtStatement-- == 0) {
            disconnect();
            return refusal("08S01", "server closed the connection unexpectedly");
        }
        LineAnswer answer;
        if (sql == kLineListObjects) {
            for (const std::string& name : objects)
                answer.rows.push_back({name});
        } else if (sql.rfind("CREATE TABLE ", 0) == 0 || sql.rfind("CREATE VIEW ", 0) == 0) {
            const std::size_t start = sql.find(' ', 7) + 1;
            objects.insert(sql.substr(start, sql.find(' ', start) - start));
        } else if (sql == kLineFindUnit) {
            const std::size_t count = std::count_if(table.begin(), table.end(), [&](const HistoryRow& row) {
                return row.station == parameters[0].text && row.serial == parameters[1].text &&
                       row.attempt == parameters[2].number && row.time == parameters[3].text;
            });
            answer.rows.push_back({std::to_string(count)});
        } else if (sql == kLineInsertUnit) {
            std::vector<std::string> columns;
            for (const LineValue& value : parameters)
                columns.push_back(columnText(value));
            HistoryRow row;
            EXPECT_TRUE(lineRow(columns, row));
            if (row.serial == refusedSerial)
                return refusal("22001", "value too long for type character varying(8)");
            m_transaction.push_back(row);
        } else if (sql == kLineSelectRows) {
            for (const HistoryRow& row : table)
                if (row.serial == parameters[1].text || row.time >= parameters[0].text) {
                    std::vector<std::string> columns;
                    for (const LineValue& value : unitParameters(row))
                        columns.push_back(columnText(value));
                    answer.rows.push_back(columns);
                }
        }
        return answer;
    }
    LineAnswer finish(bool commit) override
    {
        if (commit) {
            for (const HistoryRow& row : m_transaction) {
                // The table's unique key.
                for (const HistoryRow& there : table)
                    EXPECT_FALSE(there.station == row.station && there.serial == row.serial &&
                                 there.attempt == row.attempt && there.time == row.time)
                        << "a second " << row.serial;
                table.push_back(row);
            }
        }
        const bool rows = !m_transaction.empty();
        m_transaction.clear();
        if (commit && loseCommitAnswer && rows) {
            loseCommitAnswer = false;
            disconnect();
            return refusal("08S01", "connection lost");
        }
        return {};
    }

    std::string serials() const
    {
        std::string text;
        for (const HistoryRow& row : table)
            text += (text.empty() ? "" : " ") + row.serial;
        return text;
    }

private:
    static LineAnswer refusal(const char* state, const std::string& message)
    {
        LineAnswer answer;
        answer.ok = false;
        answer.state = state;
        answer.message = message;
        return answer;
    }
    bool m_connected = false;
    std::vector<HistoryRow> m_transaction;
};

const char kSource[] = "Driver={PostgreSQL Unicode};Server=db1;Uid=station;Pwd=s3cret";

} // namespace

// One station's rows through a database that comes and goes: each row
// arrives once, in the order the units ended, and the outbox file holds
// exactly the rows not in the database yet.
TEST(Line, RowsArriveOnceInOrderWhateverTheDatabaseDoes)
{
    MemoryHistoryFiles files;
    FakeLineDatabase database;
    LineOutbox outbox(files, "H.csv", "PC1-7");
    outbox.load();
    LineSync sync(database, outbox, kSource);

    const struct {
        const char* step;
        std::vector<const char*> add; // units ending before the round
        bool away;
        int loseAtStatement;
        bool loseCommitAnswer;
        const char* refused;
        bool reached;         // the round's answer: in the database, nothing waits
        const char* table;    // the database's rows afterwards
        std::size_t waiting;
        std::uint32_t troubles;
    } steps[] = {
        {"the first unit, the database there", {"A"}, false, -1, false, "", true, "A", 0, 0},
        {"away: the rows wait", {"B", "C"}, true, -1, false, "", false, "A", 2, 1},
        {"still away a minute later: the same words, not news", {}, true, -1, false, "", false, "A", 2, 1},
        {"back: both, in order", {"D"}, false, -1, false, "", true, "A B C D", 0, 1},
        {"an idle connection died: a new one at once, nothing shown", {"E"}, false, 0, false, "", true,
         "A B C D E", 0, 1},
        {"committed, the answer lost: not written twice", {"F", "G"}, false, -1, true, "", true, "A B C D E F G", 0, 1},
        {"a row refused holds the rows after it", {"BAD", "H"}, false, -1, false, "BAD", false, "A B C D E F G", 2, 2},
        {"refused again a minute later: not news", {}, false, -1, false, "BAD", false, "A B C D E F G", 2, 2},
        {"accepted again: in order", {}, false, -1, false, "", true, "A B C D E F G BAD H", 0, 2},
    };
    int minute = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        for (const char* serial : step.add) {
            const std::string time = "2026-12-09 10:" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) + ":00";
            ++minute;
            ASSERT_TRUE(outbox.add(lineUnit(time.c_str(), serial, "PASS")).done());
        }
        database.away = step.away;
        database.loseAtStatement = step.loseAtStatement;
        database.loseCommitAnswer = step.loseCommitAnswer;
        database.refusedSerial = step.refused;
        EXPECT_EQ(sync.round(), step.reached);
        EXPECT_EQ(database.serials(), step.table);
        const LineState state = sync.state();
        EXPECT_EQ(state.waiting, step.waiting);
        EXPECT_EQ(state.connected, step.reached);
        EXPECT_EQ(state.troubles, step.troubles);
        // The file holds the rows since the last time nothing waited.
        const auto file = files.files.find("H.csv.PC1-7.line");
        ASSERT_NE(file, files.files.end());
        EXPECT_EQ(file->second.empty(), step.waiting == 0);
        if (step.waiting != 0) {
            std::vector<std::string> lines = historyLines(file->second);
            ASSERT_GE(lines.size(), step.waiting);
            HistoryRow oldest;
            ASSERT_TRUE(outbox.next(oldest));
            const std::string bytes = formatHistoryRow(oldest);
            EXPECT_EQ(lines[lines.size() - step.waiting], bytes.substr(0, bytes.size() - 2));
        }
    }
    // Each round after a failure connected afresh; the source went as given.
    EXPECT_EQ(database.connects, 7);
    EXPECT_EQ(database.sources.front(), kSource);
    EXPECT_EQ(sync.state().trouble, "[22001] value too long for type character varying(8)");
}

// Ended before its rows went (killed, or the database away until the
// end): the next start takes the file the last run left, and another
// program's left one, and sends them; the rows the database holds already
// stay single. A live program's file is not touched.
TEST(Line, ANewStartSendsWhatOthersLeft)
{
    MemoryHistoryFiles files;
    FakeLineDatabase database;
    database.table = {lineUnit("2026-12-09 10:00:00", "A", "PASS"), lineUnit("2026-12-09 10:01:00", "B", "FAIL")};
    database.objects = {"zorik_unit", "zorik_yield_daily", "zorik_findings"};
    // A and B went before the kill, C did not; a torn line at the end (a
    // write cut short) is no row.
    files.files["H.csv.PC1-7.line"] = formatHistoryRow(database.table[0]) + formatHistoryRow(database.table[1]) +
                                      formatHistoryRow(lineUnit("2026-12-09 10:02:00", "C", "PASS")) + "2026-12-09 10:0";
    {
        // A program running on: its file is its own.
        LineOutbox live(files, "H.csv", "PC2-9");
        ASSERT_TRUE(live.add(lineUnit("2026-12-09 10:02:30", "L", "PASS", "PC2")).done());

        LineOutbox outbox(files, "H.csv", "PC1-8");
        outbox.load();
        EXPECT_EQ(outbox.waiting(), 3u);
        EXPECT_EQ(files.files.count("H.csv.PC1-7.line"), 0u);
        ASSERT_TRUE(outbox.add(lineUnit("2026-12-09 10:03:00", "D", "PASS")).done());
        LineSync sync(database, outbox, "ZorikLine");
        EXPECT_TRUE(sync.round());
        EXPECT_EQ(database.serials(), "A B C D");
        EXPECT_EQ(files.files["H.csv.PC1-8.line"], "");
        EXPECT_EQ(live.waiting(), 1u);
        // Present already: nothing made.
        for (const std::string& statement : database.statements)
            EXPECT_EQ(statement.rfind("CREATE", 0), std::string::npos) << statement;
    }
    // Nothing waited at the end: no file left; the live one's row waits.
    EXPECT_EQ(files.files.count("H.csv.PC1-8.line"), 0u);
    EXPECT_NE(files.files["H.csv.PC2-9.line"].find(",L,"), std::string::npos);
}

// The table and its views are made when absent, and only those; the SQL
// never holds a row's value, only its "?".
TEST(Line, ObjectsMadeWhenAbsentAndValuesOnlyAsParameters)
{
    const struct {
        std::set<std::string> present;
        std::vector<std::string> made; // CREATE statements' first words, in order
    } rows[] = {
        {{}, {"CREATE TABLE zorik_unit", "CREATE INDEX zorik_unit_serial", "CREATE INDEX zorik_unit_time",
              "CREATE VIEW zorik_yield_daily", "CREATE VIEW zorik_findings"}},
        {{"zorik_unit", "zorik_yield_daily"}, {"CREATE VIEW zorik_findings"}},
        {{"zorik_unit", "zorik_yield_daily", "zorik_findings"}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.made.size());
        MemoryHistoryFiles files;
        FakeLineDatabase database;
        database.objects = row.present;
        LineOutbox outbox(files, "H.csv", "PC1-7");
        LineSync sync(database, outbox, "ZorikLine");
        sync.want("2026-12-09", "O'BRIEN-1");
        ASSERT_TRUE(outbox.add(lineUnit("2026-12-09 10:00:00", "O'BRIEN-1", "PASS", "\xB6\xF3\xC0\xCE")).done());
        EXPECT_TRUE(sync.round());
        std::vector<std::string> made;
        for (const std::string& statement : database.statements) {
            if (statement.rfind("CREATE", 0) == 0)
                made.push_back(statement.substr(0, statement.find(' ', statement.find(' ', 7) + 1)));
            EXPECT_EQ(statement.find("BRIEN"), std::string::npos) << statement;
            EXPECT_EQ(statement.find("\xB6\xF3"), std::string::npos) << statement;
        }
        EXPECT_EQ(made, row.made);
        ASSERT_EQ(database.table.size(), 1u);
        EXPECT_EQ(database.table[0].serial, "O'BRIEN-1");
        EXPECT_EQ(database.table[0].station, "\xB6\xF3\xC0\xCE");
        // The line's rows came back for the yield.
        const LineState state = sync.state();
        EXPECT_TRUE(state.haveRows);
        ASSERT_EQ(state.rows.size(), 1u);
        EXPECT_EQ(formatHistoryRow(state.rows[0]), formatHistoryRow(database.table[0]));
    }
}

TEST(Line, ARowsParametersAndTheRowReadBack)
{
    HistoryRow row = lineUnit("2026-12-09 14:03:07", "SN'7", "FAIL", "\xB6\xF3\xC0\xCE", 12);
    row.fixtureSuspect = true;
    row.rule[2] = "(out1 AND NOT out2) OR (NOT out1 AND out2)";
    const std::vector<LineValue> parameters = unitParameters(row);
    using K = LineValue::Kind;
    const struct {
        K kind;
        const char* text;
        std::int64_t number;
    } expected[] = {
        {K::Timestamp, "2026-12-09 14:03:07", 0}, {K::Text, "\xB6\xF3\xC0\xCE", 0}, {K::Text, "SN'7", 0},
        {K::Integer, "", 12}, {K::Text, "FAIL", 0}, {K::Text, "finding", 0}, {K::Integer, "", 59},
        {K::Integer, "", 20}, {K::Integer, "", 7}, {K::Text, "present", 0}, {K::Text, "ok", 0},
        {K::Text, "stuck-off", 0}, {K::Text, "ok", 0}, {K::Text, "out0", 0}, {K::Text, "0", 0},
        {K::Text, "(out1 AND NOT out2) OR (NOT out1 AND out2)", 0}, {K::Integer, "", 1}, {K::Text, "1.0.0.1", 0},
    };
    ASSERT_EQ(parameters.size(), std::size(expected));
    EXPECT_EQ(std::count(kLineInsertUnit, kLineInsertUnit + std::char_traits<char>::length(kLineInsertUnit), '?'), 18);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(parameters[i].kind, expected[i].kind);
        EXPECT_EQ(parameters[i].text, expected[i].text);
        EXPECT_EQ(parameters[i].number, expected[i].number);
    }
    const std::vector<LineValue> key = unitKeyParameters(row);
    ASSERT_EQ(key.size(), 4u);
    EXPECT_EQ(key[0].text + "|" + key[1].text + "|" + std::to_string(key[2].number) + "|" + key[3].text,
              "\xB6\xF3\xC0\xCE|SN'7|12|2026-12-09 14:03:07");

    // Read back as a driver gives text: a timestamp may carry fractions.
    std::vector<std::string> columns = {"2026-12-09 14:03:07.000", "L", "S", "2", "PASS", "proved", "59", "20", "0",
                                        "present", "ok", "ok", "ok", "out0", "out1", "out2", "0", "1.0.0.1"};
    HistoryRow back;
    ASSERT_TRUE(lineRow(columns, back));
    EXPECT_EQ(back.time, "2026-12-09 14:03:07");
    EXPECT_EQ(back.attempt, 2u);
    const struct {
        int column;
        const char* value;
    } notRows[] = {{3, "0"}, {3, "-1"}, {3, ""}, {6, "5.5"}, {16, "2"}, {0, "2026-12-09"}};
    for (const auto& bad : notRows) {
        std::vector<std::string> wrong = columns;
        wrong[bad.column] = bad.value;
        EXPECT_FALSE(lineRow(wrong, back)) << bad.column << " " << bad.value;
    }
    columns.pop_back();
    EXPECT_FALSE(lineRow(columns, back));
}

TEST(Line, ThePasswordAndTheConnectionStringAreNeverShown)
{
    const struct {
        const char* message;
        const char* source;
        const char* shown;
    } rows[] = {
        {"[unixODBC]Data source name not found", "NoSuchLine", "[unixODBC]Data source name not found"},
        {"password authentication failed for user \"st\"", "Driver={PostgreSQL Unicode};Server=db1;Uid=st;Pwd=Zz9",
         "password authentication failed for user \"st\""},
        {"cannot parse DRIVER={PostgreSQL Unicode};SERVER=db1;UID=st;PWD=Zz9",
         "Driver={PostgreSQL Unicode};Server=db1;Uid=st;Pwd=Zz9", "cannot parse (connection string)"},
        {"bad option Password=hunter2; near x", "DSN=a;Password=hunter2", "bad option Password=***; near x"},
        {"login failed: PWD={a;b} rejected", "DSN=a;PWD={a;b}", "login failed: PWD=*** rejected"},
        {"echo PWD=other;UID=x", "ZorikLine", "echo PWD=***;UID=x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        EXPECT_EQ(scrubSource(row.message, row.source), row.shown);
    }
    // The trouble a failed connect leaves is scrubbed the same way.
    MemoryHistoryFiles files;
    FakeLineDatabase database;
    database.away = true;
    database.awayMessage = std::string("no answer from ") + kSource;
    LineOutbox outbox(files, "H.csv", "PC1-7");
    LineSync sync(database, outbox, kSource);
    EXPECT_FALSE(sync.round());
    EXPECT_EQ(sync.state().trouble, "[08001] no answer from (connection string)");
}

// With /line a serial's attempts and FAILs, and the day's yield, count
// every station's rows, each once; the station's own not yet sent too.
TEST(Line, AttemptsRepairAndYieldAcrossTheLine)
{
    const std::vector<HistoryRow> line = {
        lineUnit("2026-12-08 16:00:00", "X", "FAIL", "ST2"),
        lineUnit("2026-12-09 08:00:00", "X", "FAIL", "ST2", 2),
        lineUnit("2026-12-09 08:05:00", "Y", "PASS", "ST2"),
        lineUnit("2026-12-09 08:10:00", "Z", "FAIL", "ST1"),
    };
    const std::vector<HistoryRow> local = {
        line[3],                                             // sent already: counted once
        lineUnit("2026-12-09 08:20:00", "X", "FAIL", "ST1", 3), // not sent yet
        lineUnit("2026-12-09 08:30:00", "Z", "PASS", "ST1", 2),
    };
    const std::vector<HistoryRow> all = mergeLineRows(local, line);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const HistoryRow& a, const HistoryRow& b) { return a.time < b.time; }));
    EXPECT_EQ(nextAttempt(all, "X"), 4u);
    EXPECT_EQ(nextAttempt(local, "X"), 2u); // what the station alone would say
    EXPECT_EQ(failCount(all, "X"), 3u);     // to repair
    const StationYield station = stationYield(all, "2026-12-09", "ST1");
    EXPECT_EQ(station.units, 2u);         // X, Z
    EXPECT_EQ(station.finallyPassed, 1u); // Z
    const StationYield whole = lineYield(all, "2026-12-09");
    EXPECT_EQ(whole.units, 3u);          // X, Y, Z
    EXPECT_EQ(whole.firstTimeUnits, 2u); // Y, Z (X was first tested yesterday)
    EXPECT_EQ(whole.firstPassed, 1u);    // Y
    EXPECT_EQ(whole.finallyPassed, 2u);  // Y, Z
    EXPECT_EQ(formatLineYieldLine(whole), "오늘 라인: 3대, 첫 통과율 50.0% (1/2), 최종 수율 66.7% (2/3)");
    EXPECT_EQ(formatLineAway(3), "라인 DB 연결 안 됨: 3행 대기 (연결되면 보냄)");
    // The program's bytes are code page 949: 라인.
    EXPECT_EQ(formatLineTrouble("x").substr(0, 4), "\xB6\xF3\xC0\xCE");
}
