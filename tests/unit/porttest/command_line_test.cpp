// The command line of a bounded run, as one table: what is accepted and
// what is refused, with the refusal's first sentence, which names the
// argument exactly as written. The file system's folders are kFolders.
#include "command_line.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace zorik;

namespace {

struct Row {
    const char* commandLine;
    std::uint32_t cycles;    // accepted rows
    std::uint32_t seconds;
    const char* report;
    const char* refusal;     // refused rows: up to the list of what is accepted
    const char* result = ""; // accepted rows
    const char* station = "";
    const char* units = "";
    std::uint32_t rate = 0;  // hundredths of a percent
    const char* line = "";
};

const std::set<std::string> kFolders = {"reports", "C:\\temp", "..\\out"};

const char kCyclesRange[] = ": the number of cycles must be a whole number from 1 to 4294967295.";
const char kSecondsRange[] = ": the number of seconds must be a whole number from 1 to 2678400.";
const char kRateRange[] = ": the error rate to prove must be a percentage from 0.1 to 50, with at most two decimals "
                          "after a \".\" and \"%\" optional.";

const char kProgramPath[] = "C:\\Program Files\\Zorik\\Zorik.exe";

const Row kRows[] = {
    // accepted
    {"Zorik.exe", 0, 0, "", nullptr},
    {"\"C:\\Program Files\\Zorik\\Zorik.exe\"  ", 0, 0, "", nullptr},
    {"Zorik.exe /cycles:5", 5, 0, "", nullptr},
    {"Zorik.exe -CYCLES:1 /Seconds:2678400", 1, 2678400, "", nullptr},
    {"Zorik.exe /seconds:600 /report:out.txt", 0, 600, "out.txt", nullptr},
    {"Zorik.exe\t/cycles:4294967295\t-report:\"C:\\My Reports\\run 1.txt\"", 4294967295u, 0,
     "C:\\My Reports\\run 1.txt", nullptr},
    {"\"Zorik.exe\"/cycles:007", 7, 0, "", nullptr},
    // the program's own path unquoted, blanks and all
    {"C:\\Program Files\\Zorik\\Zorik.exe", 0, 0, "", nullptr},
    {"c:\\program files\\zorik\\ZORIK.EXE /seconds:3", 0, 3, "", nullptr},
    {"C:\\Program Files\\Zorik\\Zorik.exe2 /seconds:3", 0, 0, "", "Unknown argument \"Files\\Zorik\\Zorik.exe2\"."},
    // refused
    {"Zorik.exe /cycles:0", 0, 0, "", "Bad argument \"/cycles:0\"%C"},
    {"Zorik.exe /cycles:4294967296", 0, 0, "", "Bad argument \"/cycles:4294967296\"%C"},
    {"Zorik.exe /cycles:99999999999999999999", 0, 0, "", "Bad argument \"/cycles:99999999999999999999\"%C"},
    {"Zorik.exe /cycles:", 0, 0, "", "Bad argument \"/cycles:\"%C"},
    {"Zorik.exe /cycles", 0, 0, "", "Bad argument \"/cycles\"%C"},
    {"Zorik.exe /cycles:+5", 0, 0, "", "Bad argument \"/cycles:+5\"%C"},
    {"Zorik.exe /cycles:0x10", 0, 0, "", "Bad argument \"/cycles:0x10\"%C"},
    {"Zorik.exe /cycles:5s", 0, 0, "", "Bad argument \"/cycles:5s\"%C"},
    {"Zorik.exe /cycles:-1", 0, 0, "", "Bad argument \"/cycles:-1\"%C"},
    {"Zorik.exe /seconds:0", 0, 0, "", "Bad argument \"/seconds:0\"%S"},
    {"Zorik.exe /seconds:2678401", 0, 0, "", "Bad argument \"/seconds:2678401\"%S"},
    {"Zorik.exe /SECONDS:1.5", 0, 0, "", "Bad argument \"/SECONDS:1.5\"%S"},
    {"Zorik.exe /cycles:5 /report:", 0, 0, "", "Bad argument \"/report:\": no file name after /report:."},
    {"Zorik.exe /cycles:5 /report:\"\"", 0, 0, "", "Bad argument \"/report:\"\"\": no file name after /report:."},
    {"Zorik.exe /report:out.txt", 0, 0, "",
     "Argument \"/report:out.txt\" needs /cycles, /seconds or /rate beside it: only a bounded run writes its report by itself."},
    {"Zorik.exe /cycles:5 -Cycles:6", 0, 0, "", "Argument \"-Cycles:6\" gives /cycles a second time."},
    {"Zorik.exe /seconds:5 /report:a /report:b", 0, 0, "", "Argument \"/report:b\" gives /report a second time."},
    {"Zorik.exe /cycles:5 /help", 0, 0, "", "Unknown argument \"/help\"."},
    {"Zorik.exe cycles:5", 0, 0, "", "Unknown argument \"cycles:5\"."},
    {"Zorik.exe /cyclesx:5", 0, 0, "", "Unknown argument \"/cyclesx:5\"."},
    {"Zorik.exe /cycle:5", 0, 0, "", "Unknown argument \"/cycle:5\"."},
    {"Zorik.exe /", 0, 0, "", "Unknown argument \"/\"."},
    // the first refused argument is the one named
    {"Zorik.exe /seconds:x /cycles:0", 0, 0, "", "Bad argument \"/seconds:x\"%S"},

    // a quoted name with a blank, then another option
    {"Zorik.exe /report:\"a b.txt\" /cycles:5", 5, 0, "a b.txt", nullptr},
    // /result: bounded or not, any name that is a file's
    {"Zorik.exe /result:diag.ini", 0, 0, "", nullptr, "diag.ini"},
    {"Zorik.exe -RESULT:\"C:\\My Runs\\diag 1.ini\" /seconds:9", 0, 9, "", nullptr, "C:\\My Runs\\diag 1.ini"},
    {"Zorik.exe /cycles:5 /report:run.txt /result:run.ini", 5, 0, "run.txt", nullptr, "run.ini"},
    {"Zorik.exe /cycles:5 /report:reports\\run.txt", 5, 0, "reports\\run.txt", nullptr},
    // names near a device's or the journal's that are neither
    {"Zorik.exe /cycles:5 /report:console.txt", 5, 0, "console.txt", nullptr},
    {"Zorik.exe /cycles:5 /report:COM10", 5, 0, "COM10", nullptr},
    {"Zorik.exe /cycles:5 /report:LPT.txt", 5, 0, "LPT.txt", nullptr},
    {"Zorik.exe /cycles:5 /report:nul\\a.txt", 5, 0, "nul\\a.txt", nullptr},
    {"Zorik.exe /cycles:5 /report:old\\ErrorInfo.unsaved.txt", 5, 0, "old\\ErrorInfo.unsaved.txt", nullptr},
    {"Zorik.exe /cycles:5 /report:ErrorInfo.unsaved-10.txt", 5, 0, "ErrorInfo.unsaved-10.txt", nullptr},
    {"Zorik.exe /cycles:5 /report:ErrorInfo.recovered.txt", 5, 0, "ErrorInfo.recovered.txt", nullptr},
    {"Zorik.exe /cycles:5 /report:reports.txt", 5, 0, "reports.txt", nullptr},
    {"Zorik.exe /result:ErrorInfo.ini", 0, 0, "", nullptr, "ErrorInfo.ini"},
    {"Zorik.exe /cycles:1 /report:a.txt /result:ErrorInfo.txt", 1, 0, "a.txt", nullptr, "ErrorInfo.txt"},

    {"Zorik.exe /result:", 0, 0, "", "Bad argument \"/result:\": no file name after /result:."},
    {"Zorik.exe /result", 0, 0, "", "Bad argument \"/result\": no file name after /result:."},
    {"Zorik.exe /result:a.ini -Result:b.ini", 0, 0, "", "Argument \"-Result:b.ini\" gives /result a second time."},
    // devices, with or without an extension or a folder, in any case
    {"Zorik.exe /cycles:5 /report:NUL", 0, 0, "", "Bad argument \"/report:NUL\": \"NUL\" names the device NUL, not a file."},
    {"Zorik.exe /cycles:5 /report:C:\\temp\\con.txt", 0, 0, "",
     "Bad argument \"/report:C:\\temp\\con.txt\": \"C:\\temp\\con.txt\" names the device CON, not a file."},
    {"Zorik.exe /cycles:5 /report:sub/Lpt1", 0, 0, "", "Bad argument \"/report:sub/Lpt1\": \"sub/Lpt1\" names the device LPT1, not a file."},
    {"Zorik.exe /result:NUL.", 0, 0, "", "Bad argument \"/result:NUL.\": \"NUL.\" names the device NUL, not a file."},
    {"Zorik.exe /result:\"con .txt\"", 0, 0, "", "Bad argument \"/result:\"con .txt\"\": \"con .txt\" names the device CON, not a file."},
    {"Zorik.exe /result:prn.a.b", 0, 0, "", "Bad argument \"/result:prn.a.b\": \"prn.a.b\" names the device PRN, not a file."},
    {"Zorik.exe /result:aux", 0, 0, "", "Bad argument \"/result:aux\": \"aux\" names the device AUX, not a file."},
    {"Zorik.exe /result:com9.ini", 0, 0, "", "Bad argument \"/result:com9.ini\": \"com9.ini\" names the device COM9, not a file."},
    {"Zorik.exe /result:c:lpt9", 0, 0, "", "Bad argument \"/result:c:lpt9\": \"c:lpt9\" names the device LPT9, not a file."},
    {"Zorik.exe /result:\\\\.\\COM1", 0, 0, "", "Bad argument \"/result:\\\\.\\COM1\": \"\\\\.\\COM1\" names the device COM1, not a file."},
    {"Zorik.exe /result:conout$", 0, 0, "", "Bad argument \"/result:conout$\": \"conout$\" names the device CONOUT$, not a file."},
    {"Zorik.exe /result:CONIN$", 0, 0, "", "Bad argument \"/result:CONIN$\": \"CONIN$\" names the device CONIN$, not a file."},
    {"Zorik.exe /result:clock$.ini", 0, 0, "", "Bad argument \"/result:clock$.ini\": \"clock$.ini\" names the device CLOCK$, not a file."},
    {"Zorik.exe /result:COM2", 0, 0, "", "Bad argument \"/result:COM2\": \"COM2\" names the device COM2, not a file."},
    {"Zorik.exe /result:COM3", 0, 0, "", "Bad argument \"/result:COM3\": \"COM3\" names the device COM3, not a file."},
    {"Zorik.exe /result:COM4", 0, 0, "", "Bad argument \"/result:COM4\": \"COM4\" names the device COM4, not a file."},
    {"Zorik.exe /result:COM5", 0, 0, "", "Bad argument \"/result:COM5\": \"COM5\" names the device COM5, not a file."},
    {"Zorik.exe /result:COM6", 0, 0, "", "Bad argument \"/result:COM6\": \"COM6\" names the device COM6, not a file."},
    {"Zorik.exe /result:COM7", 0, 0, "", "Bad argument \"/result:COM7\": \"COM7\" names the device COM7, not a file."},
    {"Zorik.exe /result:COM8", 0, 0, "", "Bad argument \"/result:COM8\": \"COM8\" names the device COM8, not a file."},
    {"Zorik.exe /result:LPT2", 0, 0, "", "Bad argument \"/result:LPT2\": \"LPT2\" names the device LPT2, not a file."},
    {"Zorik.exe /result:LPT3", 0, 0, "", "Bad argument \"/result:LPT3\": \"LPT3\" names the device LPT3, not a file."},
    {"Zorik.exe /result:LPT4", 0, 0, "", "Bad argument \"/result:LPT4\": \"LPT4\" names the device LPT4, not a file."},
    {"Zorik.exe /result:LPT5", 0, 0, "", "Bad argument \"/result:LPT5\": \"LPT5\" names the device LPT5, not a file."},
    {"Zorik.exe /result:LPT6", 0, 0, "", "Bad argument \"/result:LPT6\": \"LPT6\" names the device LPT6, not a file."},
    {"Zorik.exe /result:LPT7", 0, 0, "", "Bad argument \"/result:LPT7\": \"LPT7\" names the device LPT7, not a file."},
    {"Zorik.exe /result:LPT8", 0, 0, "", "Bad argument \"/result:LPT8\": \"LPT8\" names the device LPT8, not a file."},
    // the NAME: form opens the device too
    {"Zorik.exe /cycles:5 /report:LPT1:", 0, 0, "", "Bad argument \"/report:LPT1:\": \"LPT1:\" names the device LPT1, not a file."},
    {"Zorik.exe /result:NUL:", 0, 0, "", "Bad argument \"/result:NUL:\": \"NUL:\" names the device NUL, not a file."},
    // the journal's names in the current folder
    {"Zorik.exe /cycles:5 /report:ErrorInfo.unsaved.txt", 0, 0, "",
     "Bad argument \"/report:ErrorInfo.unsaved.txt\": \"ErrorInfo.unsaved.txt\" is a name the program keeps for its "
     "journals, which hold test results."},
    {"Zorik.exe /cycles:5 /report:.\\ERRORINFO.UNSAVED-2.TXT", 0, 0, "", "Bad argument \"/report:.\\ERRORINFO.UNSAVED-2.TXT\"%J"},
    {"Zorik.exe /result:./errorinfo.unsaved-9.txt.", 0, 0, "", "Bad argument \"/result:./errorinfo.unsaved-9.txt.\"%J"},
    {"Zorik.exe /result:ErrorInfo.recovered-20261208-141503.txt", 0, 0, "",
     "Bad argument \"/result:ErrorInfo.recovered-20261208-141503.txt\"%J"},
    // folders: on the disk, or written as one
    {"Zorik.exe /cycles:5 /report:reports", 0, 0, "", "Bad argument \"/report:reports\": \"reports\" is a folder, not a file."},
    {"Zorik.exe /result:C:\\temp", 0, 0, "", "Bad argument \"/result:C:\\temp\": \"C:\\temp\" is a folder, not a file."},
    {"Zorik.exe /result:..\\out", 0, 0, "", "Bad argument \"/result:..\\out\": \"..\\out\" is a folder, not a file."},
    {"Zorik.exe /result:new\\", 0, 0, "", "Bad argument \"/result:new\\\": \"new\\\" is a folder, not a file."},
    {"Zorik.exe /result:new/", 0, 0, "", "Bad argument \"/result:new/\": \"new/\" is a folder, not a file."},
    {"Zorik.exe /result:.", 0, 0, "", "Bad argument \"/result:.\": \".\" is a folder, not a file."},
    {"Zorik.exe /result:D:", 0, 0, "", "Bad argument \"/result:D:\": \"D:\" is a folder, not a file."},
    // /report and /result on one file
    {"Zorik.exe /cycles:5 /report:Run.txt /result:.\\run.TXT", 0, 0, "",
     "Argument \"/result:.\\run.TXT\" names the same file as \"/report:Run.txt\": the report and the diagnosis would "
     "overwrite each other."},
    {"Zorik.exe /result:errorinfo.txt", 0, 0, "",
     "Argument \"/result:errorinfo.txt\" names the report's own file \"ErrorInfo.txt\": the report and the diagnosis "
     "would overwrite each other."},
    {"Zorik.exe /cycles:5 /report:sub/a.txt /result:SUB\\A.txt", 0, 0, "", "Argument \"/result:SUB\\A.txt\" names the same file%R"},
    {"Zorik.exe /cycles:5 /report:\xB0\x41.txt /result:\xB0\x41.TXT", 0, 0, "", "Argument \"/result:\xB0\x41.TXT\" names the same file%R"},
    // one file by two spellings, told by the full paths (kCurrentFolder)
    {"Zorik.exe /cycles:5 /report:C:\\work\\u.txt /result:u.txt", 0, 0, "",
     "Argument \"/result:u.txt\" names the same file as \"/report:C:\\work\\u.txt\": the report and the diagnosis would "
     "overwrite each other."},
    {"Zorik.exe /result:c:\\WORK\\ErrorInfo.txt.", 0, 0, "", "Argument \"/result:c:\\WORK\\ErrorInfo.txt.\" names the report's own file%R"},
    {"Zorik.exe /cycles:5 /report:D:\\work\\u.txt /result:u.txt", 5, 0, "D:\\work\\u.txt", nullptr, "u.txt"},
    // the result file's temporary name, taken by the report
    {"Zorik.exe /cycles:5 /report:C:\\work\\u.ini.TMP /result:u.ini", 0, 0, "",
     "Argument \"/result:u.ini\" is first written as \"u.ini.tmp\", the file of \"/report:C:\\work\\u.ini.TMP\": the "
     "diagnosis would overwrite the report."},
    // a double-byte character's trail byte is no letter to fold: two names
    {"Zorik.exe /cycles:5 /report:\xB0\x41.txt /result:\xB0\x61.txt", 5, 0, "\xB0\x41.txt", nullptr, "\xB0\x61.txt"},

    // /rate, alone or in a station; /station needs a length; /units a station and a folder
    {"Zorik.exe /rate:5", 0, 0, "", nullptr, "", "", "", 500},
    {"Zorik.exe -RATE:0.1% /report:r.txt", 0, 0, "r.txt", nullptr, "", "", "", 10},
    {"Zorik.exe /station:h.csv /rate:5%", 0, 0, "", nullptr, "", "h.csv", "", 500},
    {"Zorik.exe /Station:\"C:\\Line 1\\h.csv\" /cycles:59 /units:reports", 59, 0, "", nullptr, "",
     "C:\\Line 1\\h.csv", "reports"},
    {"Zorik.exe /station:h.csv /seconds:20 -units:..\\out", 0, 20, "", nullptr, "", "h.csv", "..\\out"},
    {"Zorik.exe /rate:0.09", 0, 0, "", "Bad argument \"/rate:0.09\"%P"},
    {"Zorik.exe /rate:50.5", 0, 0, "", "Bad argument \"/rate:50.5\"%P"},
    {"Zorik.exe /rate:5,5", 0, 0, "", "Bad argument \"/rate:5,5\"%P"},
    {"Zorik.exe /rate", 0, 0, "", "Bad argument \"/rate\"%P"},
    {"Zorik.exe /rate:1 /rate:2", 0, 0, "", "Argument \"/rate:2\" gives /rate a second time."},
    {"Zorik.exe /station:h.csv", 0, 0, "",
     "Argument \"/station:h.csv\" needs /cycles, /seconds or /rate beside it: each unit is tested for that length."},
    {"Zorik.exe /station:h.csv /units:reports", 0, 0, "", "Argument \"/station:h.csv\" needs /cycles%R"},
    {"Zorik.exe /station:h.csv /rate:5 /report:a.txt", 0, 0, "",
     "Argument \"/report:a.txt\" cannot go with /station: each unit's report and result file go to /units:FOLDER."},
    {"Zorik.exe /result:a.ini /station:h.csv /rate:5", 0, 0, "", "Argument \"/result:a.ini\" cannot go with /station%R"},
    {"Zorik.exe /rate:5 /units:reports", 0, 0, "",
     "Argument \"/units:reports\" needs /station beside it: only a station tests units one by one."},
    {"Zorik.exe /station:h.csv /rate:5 /units:nowhere", 0, 0, "",
     "Bad argument \"/units:nowhere\": \"nowhere\" is no existing folder."},
    {"Zorik.exe /station:h.csv /rate:5 /units:", 0, 0, "", "Bad argument \"/units:\": no folder name after /units:."},
    {"Zorik.exe /station:h.csv /rate:5 /units:lpt1", 0, 0, "",
     "Bad argument \"/units:lpt1\": \"lpt1\" names the device LPT1, not a folder."},
    {"Zorik.exe /station:nul /rate:5", 0, 0, "", "Bad argument \"/station:nul\": \"nul\" names the device NUL, not a file."},
    {"Zorik.exe /station:reports /rate:5", 0, 0, "", "Bad argument \"/station:reports\": \"reports\" is a folder, not a file."},
    {"Zorik.exe /station: /rate:5", 0, 0, "", "Bad argument \"/station:\": no file name after /station:."},
    {"Zorik.exe /station:a.csv /station:b.csv", 0, 0, "", "Argument \"/station:b.csv\" gives /station a second time."},

    // /line: a data source name or a connection string, beside /station;
    // a connection string (its password) is never shown in the box
    {"Zorik.exe /station:h.csv /rate:5 /line:ZorikLine", 0, 0, "", nullptr, "", "h.csv", "", 500, "ZorikLine"},
    {"Zorik.exe /station:h.csv /cycles:9 -LINE:\"Driver={PostgreSQL Unicode};Server=db 1;Uid=st;Pwd=se;cret\"", 9, 0,
     "", nullptr, "", "h.csv", "", 0, "Driver={PostgreSQL Unicode};Server=db 1;Uid=st;Pwd=se;cret"},
    {"Zorik.exe /rate:5 /line:ZorikLine", 0, 0, "",
     "Argument \"/line:ZorikLine\" needs /station beside it: the line's database takes a station's units."},
    {"Zorik.exe /rate:5 /line:Driver={x};Pwd=secret", 0, 0, "",
     "Argument \"/line:(connection string)\" needs /station beside it: the line's database takes a station's units."},
    {"Zorik.exe /station:h.csv /rate:5 /line:", 0, 0, "",
     "Bad argument \"/line:\": no data source name or connection string after /line:."},
    {"Zorik.exe /station:h.csv /rate:5 /line", 0, 0, "", "Bad argument \"/line\": no data source name%R"},
    {"Zorik.exe /station:h.csv /rate:5 /line:A /line:Dsn=A;PWD=secret", 0, 0, "",
     "Argument \"/line:(connection string)\" gives /line a second time."},
    // the history named as the report the exit button saves
    {"Zorik.exe /station:ErrorInfo.txt /rate:5", 0, 0, "",
     "Argument \"/station:ErrorInfo.txt\" names the report's own file \"ErrorInfo.txt\": the report saved at the end "
     "would overwrite the history."},
    {"Zorik.exe /station:.\\ERRORINFO.TXT /cycles:5", 0, 0, "", "Argument \"/station:.\\ERRORINFO.TXT\" names the report's own file%R"},
    {"Zorik.exe /station:C:\\work\\errorinfo.txt. /cycles:5", 0, 0, "",
     "Argument \"/station:C:\\work\\errorinfo.txt.\" names the report's own file%R"},
    {"Zorik.exe /station:ErrorInfo.csv /cycles:5", 5, 0, "", nullptr, "", "ErrorInfo.csv"},
    // /rate beside a length that cannot prove it: n cycles, and (n - 1) cycles of 330 ms begun in time
    {"Zorik.exe /rate:1 /cycles:50", 0, 0, "",
     "Argument \"/cycles:50\" is too short for \"/rate:1\": proving that rate takes 299 cycles. Give /cycles:299 or "
     "more, or leave /cycles out."},
    {"Zorik.exe /station:h.csv /rate:5 /cycles:58", 0, 0, "", "Argument \"/cycles:58\" is too short for \"/rate:5\"%R"},
    {"Zorik.exe /station:h.csv /rate:5 /cycles:59", 59, 0, "", nullptr, "", "h.csv", "", 500},
    {"Zorik.exe /rate:5 /seconds:19", 0, 0, "",
     "Argument \"/seconds:19\" is too short for \"/rate:5\": proving that rate takes 59 cycles, at least 20 seconds. "
     "Give /seconds:20 or more, or leave /seconds out."},
    {"Zorik.exe /rate:5 /seconds:20", 0, 20, "", nullptr, "", "", "", 500},
    {"Zorik.exe /rate:1 /seconds:98", 0, 0, "", "Argument \"/seconds:98\" is too short for \"/rate:1\": proving that rate takes 299 cycles, at least 99 seconds%R"},
    {"Zorik.exe /rate:50 /cycles:5 /seconds:2", 5, 2, "", nullptr, "", "", "", 5000},
};

const char kKeptName[] = ": \"%\" is a name the program keeps for its journals, which hold test results.";

// %C, %S, %P: the ranges' words; %J: the kept name's, with the value; %R: the
// refusal goes on, not compared.
std::string expanded(const char* refusal)
{
    std::string text = refusal;
    const std::size_t mark = text.find('%');
    if (mark == std::string::npos)
        return text;
    const char kind = text[mark + 1];
    text.erase(mark);
    if (kind == 'J') {
        const std::size_t colon = text.find(':');
        std::string words = kKeptName;
        words.replace(words.find('%'), 1, text.substr(colon + 1, text.size() - colon - 2));
        text += words;
    } else if (kind != 'R') {
        text += kind == 'C' ? kCyclesRange : kind == 'S' ? kSecondsRange : kRateRange;
    }
    return text;
}

bool isFakeFolder(const std::string& name)
{
    return kFolders.count(name) != 0;
}

// GetFullPathNameA's answer with C:\work the current folder; a name with
// a drive is already full.
const char kCurrentFolder[] = "C:\\work\\";

std::string fakeFullPath(const std::string& name)
{
    if (name.size() >= 3 && name[1] == ':' && name[2] == '\\')
        return name;
    return kCurrentFolder + (name.rfind(".\\", 0) == 0 ? name.substr(2) : name);
}

} // namespace

TEST(CommandLine, AcceptedAndRefusedArguments)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.commandLine);
        const ParsedCommandLine parsed = parseCommandLine(row.commandLine, kProgramPath, isFakeFolder, fakeFullPath);
        EXPECT_EQ(parsed.accepted, row.refusal == nullptr) << parsed.refusal;
        if (parsed.accepted != (row.refusal == nullptr))
            continue; // the next rows still run
        if (row.refusal == nullptr) {
            EXPECT_EQ(parsed.options.bounds.cycles, row.cycles);
            EXPECT_EQ(parsed.options.bounds.seconds, row.seconds);
            EXPECT_EQ(parsed.options.reportFile, row.report);
            EXPECT_EQ(parsed.options.resultFile, row.result);
            EXPECT_EQ(parsed.options.stationFile, row.station);
            EXPECT_EQ(parsed.options.unitsFolder, row.units);
            EXPECT_EQ(parsed.options.bounds.rate, row.rate);
            EXPECT_EQ(parsed.options.lineSource, row.line);
        } else {
            const std::string sentence = expanded(row.refusal);
            const bool whole = std::string(row.refusal).find("%R") == std::string::npos;
            EXPECT_EQ(parsed.refusal.substr(0, whole ? parsed.refusal.find("\r\n") : sentence.size()), sentence);
            // Every refusal says what is accepted.
            EXPECT_NE(parsed.refusal.find("/cycles:N     end after N cycles, N from 1 to 4294967295"),
                      std::string::npos);
            EXPECT_NE(parsed.refusal.find("/seconds:S    end after S seconds of testing, S from 1 to 2678400"),
                      std::string::npos);
            EXPECT_NE(parsed.refusal.find("/report:FILE"), std::string::npos);
            EXPECT_NE(parsed.refusal.find("/result:FILE"), std::string::npos);
            EXPECT_NE(parsed.refusal.find("/rate:P       end once an error rate below P percent is proved"),
                      std::string::npos);
            EXPECT_NE(parsed.refusal.find("/station:FILE a station"), std::string::npos);
            EXPECT_NE(parsed.refusal.find("/units:FOLDER with /station"), std::string::npos);
            EXPECT_NE(parsed.refusal.find("/line:SOURCE  with /station"), std::string::npos);
            EXPECT_EQ(parsed.refusal.find("secret"), std::string::npos);
        }
    }
}
