// The hardware build's Zorik.exe on 64-bit Windows (a WOW64 process in a
// 64-bit Wine prefix) with the stand-in inpout32.dll beside ZorikApi.dll
// and a simulated unit behind it: a bounded run from the command line, as a
// production line's batch file starts it, tests the unit through InpOut32's
// byte functions and names the stuck input.
#include "support/prefix_facts.h"
#include "support/staged_library.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using zorik::wine::StagedFile;
using zorik::wine::StagedLibrary;

constexpr int CYCLES = 40; // the diagnosis names a stuck input well within it
constexpr DWORD RUN_TIMEOUT_MS = 90000;

std::string readWhole(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got != 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

bool isWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

TEST(BoundedRunOnWow64, ThroughInpOut32NamesTheStuckInput)
{
    ASSERT_TRUE(isWow64()) << "prefix is not 64-bit";
    ASSERT_FALSE(zorik::wine::giveioOpens()) << "prefix has a giveio device";
    const StagedLibrary staged("Zorik.exe", "", {{"inpout32.dll", ZORIK_INPOUT_STANDIN, ""}});
    ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
    const std::string folder = staged.folder();
    const char* const written[] = {"unit.ini", "report.txt", "inpout.log"};

    SetEnvironmentVariableA("ZORIK_SIM", "stuck-off=1");
    SetEnvironmentVariableA("ZORIK_INPOUT_LOG", (folder + "inpout.log").c_str());
    std::string commandLine = "\"" + staged.programPath() + "\" /cycles:" + std::to_string(CYCLES) +
                              " /result:unit.ini /report:report.txt";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                               &startup, &process))
        << GetLastError();
    SetEnvironmentVariableA("ZORIK_SIM", nullptr);
    SetEnvironmentVariableA("ZORIK_INPOUT_LOG", nullptr);
    const DWORD started = GetTickCount();
    const bool ended = WaitForSingleObject(process.hProcess, RUN_TIMEOUT_MS) == WAIT_OBJECT_0;
    const DWORD tookMs = GetTickCount() - started;
    if (!ended)
        TerminateProcess(process.hProcess, 99);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_TRUE(ended) << "Zorik.exe did not end within " << RUN_TIMEOUT_MS << " ms";

    const std::string result = readWhole(folder + "unit.ini");
    const std::vector<std::string> log = linesOf(readWhole(folder + "inpout.log"));
    for (const char* name : written)
        DeleteFileA((folder + name).c_str());

    EXPECT_EQ(1u, exitCode) << "a failing unit's bounded run ends with 1";
    EXPECT_NE(std::string::npos, result.find("Verdict=FAIL\r\nCycles=" + std::to_string(CYCLES) + "\r\n")) << result;
    EXPECT_NE(std::string::npos, result.find("[Input0]\r\nFinding=ok\r\n")) << result;
    EXPECT_NE(std::string::npos, result.find("[Input1]\r\nFinding=stuck-off\r\n")) << result;
    EXPECT_NE(std::string::npos, result.find("[Input2]\r\nFinding=ok\r\n")) << result;

    // Every port byte went through the stand-in, loaded from beside the
    // library, its driver asked once; each cycle writes and reads each
    // channel once, with the bits mode 1 forces on, and once the test has
    // stopped each output is driven as its switch shows it.
    ASSERT_FALSE(log.empty()) << "inpout32.dll was never loaded";
    EXPECT_EQ("loaded " + folder + "inpout32.dll", log.front());
    EXPECT_EQ(1, std::count(log.begin(), log.end(), std::string("IsInpOutDriverOpen 1")));
    int writes = 0;
    int reads = 0;
    for (const std::string& line : log) {
        if (line.rfind("DlPortWritePortUchar ", 0) == 0) {
            ++writes;
            EXPECT_EQ("DlPortWritePortUchar 0378 E", line.substr(0, 27)) << line;
        } else if (line.rfind("DlPortReadPortUchar ", 0) == 0) {
            ++reads;
            EXPECT_EQ("DlPortReadPortUchar 0379 ", line.substr(0, 25)) << line;
        } else if (line != log.front() && line != "IsInpOutDriverOpen 1") {
            ADD_FAILURE() << "unexpected call: " << line;
        }
    }
    EXPECT_EQ(3 * CYCLES + 3, writes);
    EXPECT_GE(reads, 3 * CYCLES); // and any of the dialog's 100 ms polls before the test starts
    std::printf("[ figures  ] %d cycles through inpout32.dll in %lu ms: %d writes, %d reads\n", CYCLES, tookMs,
                writes, reads);
}

} // namespace
