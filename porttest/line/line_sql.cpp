#include "line_sql.h"

namespace zorik {

namespace {

// The columns of a unit's row, in the history file's order.
#define ZORIK_UNIT_COLUMNS                                                                                          \
    "time, station, serial, attempt, verdict, ended, cycles, seconds, disagreements, unit, input0, input1, input2, " \
    "rule0, rule1, rule2, fixture_suspect, program"

LineValue text(const std::string& value)
{
    LineValue parameter;
    parameter.text = value;
    return parameter;
}

LineValue integer(std::int64_t value)
{
    LineValue parameter;
    parameter.kind = LineValue::Kind::Integer;
    parameter.number = value;
    return parameter;
}

LineValue timestamp(const std::string& value)
{
    LineValue parameter;
    parameter.kind = LineValue::Kind::Timestamp;
    parameter.text = value;
    return parameter;
}

bool digits(const std::string& text)
{
    if (text.empty() || text.size() > 18)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A column digits() accepted.
std::uint64_t number(const std::string& text)
{
    std::uint64_t value = 0;
    for (char c : text)
        value = value * 10 + static_cast<unsigned>(c - '0');
    return value;
}

} // namespace

// Sizes hold what a station writes: a serial is at most 32 characters,
// a computer name 15, a rule at most 3 terms of 4 literals.
const LineObject kLineObjects[3] = {
    {"zorik_unit",
     {"CREATE TABLE zorik_unit ("
      "time TIMESTAMP NOT NULL, "
      "station VARCHAR(64) NOT NULL, "
      "serial VARCHAR(64) NOT NULL, "
      "attempt INTEGER NOT NULL, "
      "verdict VARCHAR(16) NOT NULL, "
      "ended VARCHAR(16) NOT NULL, "
      "cycles BIGINT NOT NULL, "
      "seconds BIGINT NOT NULL, "
      "disagreements BIGINT NOT NULL, "
      "unit VARCHAR(16) NOT NULL, "
      "input0 VARCHAR(32) NOT NULL, input1 VARCHAR(32) NOT NULL, input2 VARCHAR(32) NOT NULL, "
      "rule0 VARCHAR(255) NOT NULL, rule1 VARCHAR(255) NOT NULL, rule2 VARCHAR(255) NOT NULL, "
      "fixture_suspect SMALLINT NOT NULL, "
      "program VARCHAR(32) NOT NULL, "
      "CONSTRAINT zorik_unit_key UNIQUE (station, serial, attempt, time))",
      // A serial's rows, and a day's, without reading the whole table.
      "CREATE INDEX zorik_unit_serial ON zorik_unit (serial, time)",
      "CREATE INDEX zorik_unit_time ON zorik_unit (time)"}},
    // Per day and station: the serials tested there, of those first
    // tested ever there that day the ones that passed that first time,
    // and the serials whose latest row there that day is PASS.
    {"zorik_yield_daily",
     {"CREATE VIEW zorik_yield_daily AS "
      "SELECT day, station, COUNT(DISTINCT serial) AS units, "
      "SUM(CASE WHEN nth_ever = 1 THEN 1 ELSE 0 END) AS first_time_units, "
      "SUM(CASE WHEN nth_ever = 1 AND verdict = 'PASS' THEN 1 ELSE 0 END) AS first_passed, "
      "SUM(CASE WHEN latest_here = 1 AND verdict = 'PASS' THEN 1 ELSE 0 END) AS finally_passed, "
      "CAST(100.0 * SUM(CASE WHEN nth_ever = 1 AND verdict = 'PASS' THEN 1 ELSE 0 END) / "
      "NULLIF(SUM(CASE WHEN nth_ever = 1 THEN 1 ELSE 0 END), 0) AS DECIMAL(5, 1)) AS first_pass_yield, "
      "CAST(100.0 * SUM(CASE WHEN latest_here = 1 AND verdict = 'PASS' THEN 1 ELSE 0 END) / "
      "COUNT(DISTINCT serial) AS DECIMAL(5, 1)) AS final_yield "
      "FROM (SELECT CAST(time AS DATE) AS day, station, serial, verdict, "
      "ROW_NUMBER() OVER (PARTITION BY serial ORDER BY time, attempt) AS nth_ever, "
      "ROW_NUMBER() OVER (PARTITION BY CAST(time AS DATE), station, serial ORDER BY time DESC, attempt DESC) "
      "AS latest_here FROM zorik_unit) AS rows_numbered "
      "GROUP BY day, station", nullptr, nullptr}},
    // Per day, station and input: how many FAIL rows named each finding.
    {"zorik_findings",
     {"CREATE VIEW zorik_findings AS "
      "SELECT CAST(time AS DATE) AS day, station, 0 AS input, input0 AS finding, COUNT(*) AS count "
      "FROM zorik_unit WHERE verdict = 'FAIL' AND input0 NOT IN ('ok', 'undetermined') "
      "GROUP BY CAST(time AS DATE), station, input0 "
      "UNION ALL SELECT CAST(time AS DATE), station, 1, input1, COUNT(*) "
      "FROM zorik_unit WHERE verdict = 'FAIL' AND input1 NOT IN ('ok', 'undetermined') "
      "GROUP BY CAST(time AS DATE), station, input1 "
      "UNION ALL SELECT CAST(time AS DATE), station, 2, input2, COUNT(*) "
      "FROM zorik_unit WHERE verdict = 'FAIL' AND input2 NOT IN ('ok', 'undetermined') "
      "GROUP BY CAST(time AS DATE), station, input2", nullptr, nullptr}},
};

const char kLineListObjects[] =
    "SELECT LOWER(table_name) FROM information_schema.tables "
    "WHERE LOWER(table_name) IN ('zorik_unit', 'zorik_yield_daily', 'zorik_findings')";

const char kLineFindUnit[] =
    "SELECT COUNT(*) FROM zorik_unit WHERE station = ? AND serial = ? AND attempt = ? AND time = ?";

const char kLineInsertUnit[] =
    "INSERT INTO zorik_unit (" ZORIK_UNIT_COLUMNS ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

const char kLineSelectRows[] =
    "SELECT " ZORIK_UNIT_COLUMNS " FROM zorik_unit "
    "WHERE serial IN (SELECT serial FROM zorik_unit WHERE time >= ?) OR serial = ? "
    "ORDER BY time, station, attempt";

std::vector<LineValue> unitParameters(const HistoryRow& row)
{
    std::vector<LineValue> parameters;
    parameters.reserve(18);
    parameters.push_back(timestamp(row.time));
    for (const std::string* value : {&row.station, &row.serial})
        parameters.push_back(text(*value));
    parameters.push_back(integer(row.attempt));
    for (const std::string* value : {&row.verdict, &row.ended})
        parameters.push_back(text(*value));
    for (std::uint64_t value : {row.cycles, row.seconds, row.disagreements})
        parameters.push_back(integer(static_cast<std::int64_t>(value)));
    for (const std::string* value : {&row.unit, &row.input[0], &row.input[1], &row.input[2], &row.rule[0],
                                     &row.rule[1], &row.rule[2]})
        parameters.push_back(text(*value));
    parameters.push_back(integer(row.fixtureSuspect ? 1 : 0));
    parameters.push_back(text(row.program));
    return parameters;
}

std::vector<LineValue> unitKeyParameters(const HistoryRow& row)
{
    return {text(row.station), text(row.serial), integer(row.attempt), timestamp(row.time)};
}

std::vector<LineValue> lineRowsParameters(const std::string& day, const std::string& serial)
{
    return {timestamp(day + " 00:00:00"), text(serial)};
}

bool lineRow(const std::vector<std::string>& columns, HistoryRow& row)
{
    if (columns.size() != 18 || columns[0].size() < 19 || !digits(columns[3]) || columns[3].size() > 9 || !digits(columns[6]) ||
        !digits(columns[7]) || !digits(columns[8]) || (columns[16] != "0" && columns[16] != "1"))
        return false;
    row.time = columns[0].substr(0, 19); // a driver may add ".000"
    takeHistoryTextColumns(columns, row);
    row.attempt = static_cast<std::uint32_t>(number(columns[3]));
    row.cycles = number(columns[6]);
    row.seconds = number(columns[7]);
    row.disagreements = number(columns[8]);
    return row.attempt != 0;
}

} // namespace zorik
