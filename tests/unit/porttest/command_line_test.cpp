// The command line of a bounded run, as one table: what is accepted and
// what is refused, with the refusal's first sentence, which names the
// argument exactly as written.
#include "command_line.h"

#include <gtest/gtest.h>

#include <string>

using namespace zorik;

namespace {

struct Row {
    const char* commandLine;
    std::uint32_t cycles;    // accepted rows
    std::uint32_t seconds;
    const char* report;
    const char* refusal;     // refused rows: up to the list of what is accepted
};

const char kCyclesRange[] = ": the number of cycles must be a whole number from 1 to 4294967295.";
const char kSecondsRange[] = ": the number of seconds must be a whole number from 1 to 2678400.";

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
     "Argument \"/report:out.txt\" needs /cycles or /seconds beside it: only a bounded run writes its report by itself."},
    {"Zorik.exe /cycles:5 -Cycles:6", 0, 0, "", "Argument \"-Cycles:6\" gives /cycles a second time."},
    {"Zorik.exe /seconds:5 /report:a /report:b", 0, 0, "", "Argument \"/report:b\" gives /report a second time."},
    {"Zorik.exe /cycles:5 /help", 0, 0, "", "Unknown argument \"/help\"."},
    {"Zorik.exe cycles:5", 0, 0, "", "Unknown argument \"cycles:5\"."},
    {"Zorik.exe /cyclesx:5", 0, 0, "", "Unknown argument \"/cyclesx:5\"."},
    {"Zorik.exe /cycle:5", 0, 0, "", "Unknown argument \"/cycle:5\"."},
    {"Zorik.exe /", 0, 0, "", "Unknown argument \"/\"."},
    // the first refused argument is the one named
    {"Zorik.exe /seconds:x /cycles:0", 0, 0, "", "Bad argument \"/seconds:x\"%S"},
};

std::string expanded(const char* refusal)
{
    std::string text = refusal;
    const std::size_t mark = text.find('%');
    if (mark != std::string::npos)
        text.replace(mark, 2, text[mark + 1] == 'C' ? kCyclesRange : kSecondsRange);
    return text;
}

} // namespace

TEST(CommandLine, AcceptedAndRefusedArguments)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.commandLine);
        const ParsedCommandLine parsed = parseCommandLine(row.commandLine, kProgramPath);
        if (row.refusal == nullptr) {
            ASSERT_TRUE(parsed.accepted) << parsed.refusal;
            EXPECT_EQ(parsed.options.bounds.cycles, row.cycles);
            EXPECT_EQ(parsed.options.bounds.seconds, row.seconds);
            EXPECT_EQ(parsed.options.reportFile, row.report);
        } else {
            ASSERT_FALSE(parsed.accepted);
            const std::string sentence = expanded(row.refusal);
            EXPECT_EQ(parsed.refusal.substr(0, parsed.refusal.find("\r\n")), sentence);
            // Every refusal says what is accepted.
            EXPECT_NE(parsed.refusal.find("/cycles:N     end after N cycles, N from 1 to 4294967295"),
                      std::string::npos);
            EXPECT_NE(parsed.refusal.find("/seconds:S    end after S seconds of testing, S from 1 to 2678400"),
                      std::string::npos);
            EXPECT_NE(parsed.refusal.find("/report:FILE"), std::string::npos);
        }
    }
}
