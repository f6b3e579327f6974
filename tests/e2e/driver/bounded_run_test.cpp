// Bounded runs from the command line, as a batch file makes them: the test
// runs by itself, the report is written without a question, and the exit
// code gives the verdict. Nothing may wait for an answer of the program's
// own.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstdio>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

// Start-up and exit on top of the run itself, on a loaded machine.
constexpr Millis kBoundedRunSlack(15000);

TEST(BoundedRun, EndsByItselfWithTheVerdictAsExitCode) {
    const struct {
        const char* arguments;
        const char* sim;
        DWORD exitCode;
        const char* report;    // where the report lands; nullptr: nowhere
        std::uint64_t fewestCycles, mostCycles;
        long fewestMs;         // from start to exit
    } rows[] = {
        {"/cycles:5", "", 0, kReportName, 5, 5, 5 * kShortestCycleMs},
        {"-CYCLES:5", "stuck-off=1", 1, kReportName, 5, 5, 5 * kShortestCycleMs},
        // Cycles begin while less than 3 s have been spent testing.
        {"/seconds:3", "", 0, kReportName, 3000 / 400, 3000 / kShortestCycleMs + 1, 3000},
        {"/cycles:2 /report:\"run 1.txt\"", "", 0, "run 1.txt", 2, 2, 2 * kShortestCycleMs},
        // /rate:5: a healthy unit is proved after exactly 59 cycles; a
        // stuck-off one ends once every input is named, before 3n = 177.
        {"/rate:5", "", 0, kReportName, 59, 59, 59 * kShortestCycleMs},
        {"/rate:5%", "stuck-off=1", 1, kReportName, 15, 176, 15 * kShortestCycleMs},
        // A folder that is not there: no file can be made in it.
        {"/cycles:1 /report:nowhere\\run.txt", "", 3, nullptr, 0, 0, 0},
        // An access violation inside the library on its 20th read (cycle
        // 7), in the test's thread: no report, the journal left as it is.
        {"/cycles:100", "crash=20", 8, nullptr, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.arguments) + ", ZORIK_SIM=" + row.sim);
        WorkDir dir;
        const auto started = std::chrono::steady_clock::now();
        ZorikSession zorik(dir, row.sim, row.arguments);
        const Millis bound(row.mostCycles * 3 / 2 * kShortestCycleMs + kBoundedRunSlack.count());
        ASSERT_TRUE(endsWithoutAsking(zorik, bound, row.exitCode));
        const long ranMs = static_cast<long>(elapsedSince(started).count());
        std::printf("%s: exit code %lu after %ld ms\n", row.arguments,
                    static_cast<unsigned long>(row.exitCode), ranMs);
        // The journal goes as on every way out, unless the report is missing.
        EXPECT_EQ(dir.exists(kJournalName), row.report == nullptr);
        if (row.exitCode == 8) {
            const auto journal = parsedReport(dir.readFile(kJournalName).value_or(""));
            ASSERT_TRUE(journal) << "the journal reads as a report";
            EXPECT_GE(journal->count, 6u);
            EXPECT_LE(journal->count, 7u);
        }
        if (!row.report) {
            EXPECT_FALSE(dir.exists(kReportName));
            continue;
        }
        if (std::string(row.report) != kReportName) {
            EXPECT_FALSE(dir.exists(kReportName));
        }
        const auto report = parsedReport(dir.readFile(row.report));
        ASSERT_TRUE(report);
        EXPECT_GE(report->count, row.fewestCycles);
        EXPECT_LE(report->count, row.mostCycles);
        EXPECT_GE(ranMs, row.fewestMs);
        std::string problem;
        const auto lines = parseLog(report->log, problem);
        ASSERT_TRUE(lines) << problem;
        EXPECT_EQ(!lines->empty(), row.exitCode == 1) << lines->size() << " lines";
        for (const LogLine& line : *lines) {
            EXPECT_EQ(line.inputChannel, 1);
            EXPECT_LE(line.count, report->count);
        }
    }
}

// The result file as a batch file's tools read it, through
// GetPrivateProfileString: the verdict, the report's figures and each
// input's finding and rule after 70 cycles of a simulated fault (by then
// the diagnosis has named a rule on all but about one seed in a thousand),
// and since when it holds. A unit may change during the run: `later` is
// put on the port through ZORIK_SIM_FILE (read again as the run goes) once
// the summary shows cycle kChangeAfter, and the run is 90 cycles long.
struct ResultRow {
    const char* sim;
    const char* verdict;
    const char* findings[3];
    const char* output[3];  // "" where there is no Output key
    const char* outputs[3]; // "" where there is no Outputs key
    const char* rules[3];
    const char* later = nullptr;
};

constexpr int kChangeAfter = 30;

void expectResultFile(const ResultRow& row);

// Three runs hold every finding the file names by Output, Outputs or Rule
// alone: a healthy unit, a unit with a different fault on each input from
// the start (below), and a healthy unit that changes into one with a
// different fault on each input (the next test); the real program's
// patterns are the same in every run.
TEST(BoundedRun, ResultFileNamesTheFault) {
    const ResultRow rows[] = {
        {"", "PASS", {"ok", "ok", "ok"}, {"", "", ""}, {"", "", ""}, {"out0", "out1", "out2"}},
        // Input 0 on output 2's line alone, input 1 stuck off (its own
        // word, not the absent unit's), input 2 on outputs 0 and 1 shorted.
        {"cross-invert=0:2,invert=0,stuck-off=1,bridge=2:0:1:and", "FAIL", {"crossed", "stuck-off", "bridged"},
         {"2", "", ""}, {"", "", "0,1"}, {"out2", "0", "out0 AND out1"}},
    };
    for (const auto& row : rows)
        expectResultFile(row);
}

// Healthy, then inputs 0 and 2 swapped and input 1 the opposite of output 0:
// each input says since when, one change, ok before. A CTest entry of its
// own, beside the fixed units' runs.
TEST(BoundedRun, ResultFileNamesAChange) {
    expectResultFile({"", "FAIL", {"crossed", "crossed-inverted", "crossed"}, {"2", "0", "0"},
                      {"", "", ""}, {"out2", "NOT out0", "out0"}, "cross=0:2,cross-invert=1:0"});
}

// The cycle the summary line shows ("정상  사이클 N  ..."); 0 before one.
std::uint64_t summaryCycles(const MainDialog& dialog) {
    const std::string text = dialog.text(kSummary);
    const std::string label = cp949("사이클 ");
    const std::size_t at = text.find(label);
    return at == std::string::npos ? 0 : std::strtoull(text.c_str() + at + label.size(), nullptr, 10);
}

// "YYYY-MM-DD HH:MM:SS"
bool isDateAndTime(const std::string& text) {
    if (text.size() != 19)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char expected = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : '0';
        if (expected == '0' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != expected)
            return false;
    }
    return true;
}

void expectResultFile(const ResultRow& row) {
    SCOPED_TRACE(std::string("ZORIK_SIM=") + row.sim + (row.later ? std::string(", later ") + row.later : ""));
    WorkDir dir;
    const int cycles = row.later ? 90 : 70;
    if (row.later)
        SetEnvironmentVariableA("ZORIK_SIM_FILE", dir.pathOf("unit.sim").c_str());
    ZorikSession zorik(dir, row.sim, "/cycles:" + std::to_string(cycles) + " /result:result.ini");
    SetEnvironmentVariableA("ZORIK_SIM_FILE", nullptr);
    std::uint64_t changedAt = 0;
    if (row.later) {
        const MainDialog& dialog = zorik.dialog();
        ASSERT_TRUE(waitUntil([&] { return summaryCycles(dialog) >= kChangeAfter; }, Millis(60000), Millis(20)))
            << dialog.text(kSummary);
        dir.writeFile("unit.sim", row.later);
        changedAt = summaryCycles(dialog);
    }
    ASSERT_TRUE(endsWithoutAsking(zorik, Millis(100 * kShortestCycleMs + kBoundedRunSlack.count()),
                                  std::string(row.verdict) == "PASS" ? 0 : 1));
    const std::string ini = dir.path() + "\\result.ini";
    const auto key = [&](const char* section, const char* name) {
        char value[64] = "";
        GetPrivateProfileStringA(section, name, "(none)", value, sizeof value, ini.c_str());
        return std::string(value);
    };
    const auto orNone = [](const char* value) { return std::string(*value ? value : "(none)"); };
    EXPECT_EQ(key("Result", "Verdict"), row.verdict);
    EXPECT_EQ(key("Result", "Cycles"), std::to_string(cycles));
    EXPECT_EQ(key("Result", "Unit"), "present");
    EXPECT_EQ(key("Result", "Ended"), "bound");
    EXPECT_EQ(key("Result", "ExitCode"), std::string(row.verdict) == "PASS" ? "0" : "1");
    const auto report = parsedReport(dir.readFile(kReportName));
    ASSERT_TRUE(report);
    std::string problem;
    const auto lines = parseLog(report->log, problem);
    ASSERT_TRUE(lines) << problem;
    EXPECT_EQ(key("Result", "Disagreements"), std::to_string(lines->size()));
    for (int input = 0; input < 3; ++input) {
        const std::string section = "Input" + std::to_string(input);
        EXPECT_EQ(key(section.c_str(), "Finding"), row.findings[input]) << section;
        EXPECT_EQ(key(section.c_str(), "Output"), orNone(row.output[input])) << section;
        EXPECT_EQ(key(section.c_str(), "Outputs"), orNone(row.outputs[input])) << section;
        EXPECT_EQ(key(section.c_str(), "Rule"), row.rules[input]) << section;
        EXPECT_EQ(key(section.c_str(), "Exceptions"), "0") << section;
        EXPECT_EQ(key(section.c_str(), "ErrorRate"), "(none)") << section;
        EXPECT_EQ(key(section.c_str(), "Readings"), std::to_string(cycles)) << section;
        EXPECT_TRUE(isDateAndTime(key(section.c_str(), "SinceTime"))) << key(section.c_str(), "SinceTime");
        if (!row.later) {
            EXPECT_EQ(key(section.c_str(), "Since"), "1") << section;
            EXPECT_EQ(key(section.c_str(), "Changes"), "0") << section;
            EXPECT_EQ(key(section.c_str(), "Before"), "(none)") << section;
            continue;
        }
        // The unit was swapped within a cycle or two of the summary's
        // count, and the input's first disagreement after it came at or
        // after the change; Since is the change within 3 cycles.
        const std::uint64_t since = std::strtoull(key(section.c_str(), "Since").c_str(), nullptr, 10);
        std::uint64_t firstLine = 0;
        for (const LogLine& line : *lines) {
            if (line.inputChannel == input && firstLine == 0)
                firstLine = line.count;
        }
        std::printf("%s: Since=%llu, the summary at the change %llu, first line %llu\n", section.c_str(),
                    static_cast<unsigned long long>(since), static_cast<unsigned long long>(changedAt),
                    static_cast<unsigned long long>(firstLine));
        EXPECT_GE(since + 3, changedAt) << section;
        EXPECT_LE(since, changedAt + 5) << section;
        EXPECT_LE(since, firstLine) << section;
        EXPECT_EQ(key(section.c_str(), "Changes"), "1") << section;
        EXPECT_EQ(key(section.c_str(), "Before"), "ok") << section;
        EXPECT_EQ(key(section.c_str(), "Between"), "(none)") << section;
    }
}

TEST(BoundedRun, RefusedArgumentIsSaidOnceAndNothingRuns) {
    const struct {
        const char* arguments;
        const char* folder; // made first
        const char* refusal; // the first sentence
    } rows[] = {
        {"/cycles:5 /Seconds:0", nullptr,
         "Bad argument \"/Seconds:0\": the number of seconds must be a whole number from 1 to 2678400."},
        // The file system is asked: a folder cannot take the report.
        {"/cycles:1 /report:taken", "taken", "Bad argument \"/report:taken\": \"taken\" is a folder, not a file."},
        {"/result:nul.ini", nullptr, "Bad argument \"/result:nul.ini\": \"nul.ini\" names the device NUL, not a file."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        WorkDir dir;
        if (row.folder)
            dir.makeDirectory(row.folder);
        ZorikSession zorik(dir, "", row.arguments);
        std::optional<MessageBoxWindow> box = MessageBoxWindow::waitFor(zorik.processId(), kStartTimeout);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption(), kDialogCaption);
        const std::string text = box->text();
        EXPECT_EQ(text.substr(0, text.find("\r\n")), row.refusal);
        EXPECT_NE(text.find("/cycles:N     end after N cycles, N from 1 to 4294967295"), std::string::npos) << text;
        EXPECT_FALSE(box->hasButton(IDCANCEL));
        EXPECT_FALSE(MainDialog::waitFor(zorik.processId(), Millis(0))) << "the dialog opened";
        ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));
        EXPECT_TRUE(endsWithoutAsking(zorik, kExitTimeout, 64));
        EXPECT_FALSE(dir.exists(kReportName));
    }
}

// The library's own box is the library's and waits as it always does; the
// program adds none ("Cannot Find Port" is left out) and ends with 2.
// An earlier unit's passing result file is gone: nothing reads it as this
// run's.
TEST(BoundedRun, PortThatCannotBeOpenedEndsWithoutTesting) {
    WorkDir dir;
    dir.writeFile("result.ini", "[Result]\r\nVerdict=PASS\r\n");
    ZorikSession zorik(dir, "no-giveio", "/cycles:5 /result:result.ini");
    std::optional<MessageBoxWindow> box;
    ASSERT_TRUE(showsMessageBox(zorik, kLibraryFatalCaption, kGiveioMissing, box, kStartTimeout));
    ASSERT_TRUE(box->answer(IDOK, kReactionTimeout));
    EXPECT_TRUE(endsWithoutAsking(zorik, kExitTimeout, 2));
    EXPECT_FALSE(dir.exists(kReportName));
    EXPECT_FALSE(dir.exists("result.ini"));
}

// Every way an operator can end a bounded run early: no question, the
// report of what was found, exit code 4, and a result file that says the
// run ended early: FAIL with a disagreement, INCOMPLETE without.
TEST(BoundedRun, OperatorEndingItEarlyGetsTheReportAndExitCode4) {
    const struct {
        const char* name;
        void (*end)(const MainDialog& dialog);
        const char* sim;
        const char* verdict;
    } ways[] = {
        {"Test", [](const MainDialog& dialog) { dialog.click(kTestButton); }, "stuck-off=1", "FAIL"},
        {"exit button", [](const MainDialog& dialog) { dialog.click(kExitButton); }, "stuck-off=1", "FAIL"},
        {kQuietExits[0].name, kQuietExits[0].leave, "stuck-off=1", "FAIL"},
        {kQuietExits[1].name, kQuietExits[1].leave, "stuck-off=1", "FAIL"},
        // A healthy unit, three cycles in: no disagreement, yet no pass.
        {kQuietExits[0].name, kQuietExits[0].leave, "", "INCOMPLETE"},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(std::string(way.name) + ", ZORIK_SIM=" + way.sim);
        WorkDir dir;
        ZorikSession zorik(dir, way.sim, "/seconds:600 /result:result.ini");
        const MainDialog& dialog = zorik.dialog();
        ASSERT_TRUE(showsText(dialog, kTestButton, cp949(kTestRunningCaption)));
        std::vector<LogLine> lines;
        if (*way.sim != '\0') {
            ASSERT_TRUE(logShowsLines(dialog, 1, lines, Millis(8000)));
        } else {
            const std::string threeCycles = cp949(std::string(kVerdictPass) + "  사이클 3  ");
            ASSERT_TRUE(waitUntil([&] { return dialog.text(kSummary).rfind(threeCycles, 0) == 0; }, Millis(8000)))
                << dialog.text(kSummary);
        }
        way.end(dialog);
        ASSERT_TRUE(endsWithoutAsking(zorik, kExitTimeout, 4));
        const auto report = parsedReport(dir.readFile(kReportName));
        ASSERT_TRUE(report);
        std::string problem;
        const auto saved = parseLog(report->log, problem);
        ASSERT_TRUE(saved) << problem;
        EXPECT_GE(saved->size(), lines.size());
        EXPECT_GE(report->count, lines.empty() ? 3u : lines.back().count);
        const std::string ini = dir.path() + "\\result.ini";
        const auto key = [&](const char* name) {
            char value[64] = "";
            GetPrivateProfileStringA("Result", name, "(none)", value, sizeof value, ini.c_str());
            return std::string(value);
        };
        EXPECT_EQ(key("Verdict"), way.verdict);
        EXPECT_EQ(key("Ended"), "early");
        EXPECT_EQ(key("ExitCode"), "4");
        EXPECT_EQ(key("Cycles"), std::to_string(report->count));
        EXPECT_EQ(key("JournalLeft"), "(none)");
        EXPECT_FALSE(dir.exists("result.ini.tmp"));
    }
}

} // namespace
} // namespace zorik::e2e
