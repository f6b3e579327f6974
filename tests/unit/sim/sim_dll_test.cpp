// The simulated ZorikApi.dll seen through its exports, the way Zorik.exe
// sees it. Each CTest entry runs some of these cases under the settings
// and Windows version they need; a case run elsewhere skips itself.
#include "ZorikApi.h"
#include "message_box_finder.h"
#include "support/message_box_watch.h"
#include "test_thread.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>

using zorik::tools::MessageBoxContent;
using zorik::wine::callDismissingBoxes;
using zorik::wine::WatchedCall;

namespace {

constexpr DWORD BOX_TIMEOUT_MS = 30000;
constexpr UINT BAD_SETTINGS_EXIT_CODE = 3;
constexpr char BAD_SETTINGS[] = "stuck-on=1,bogus";

std::string environment(const char* name)
{
    char buffer[512] = {};
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return length < sizeof buffer ? std::string(buffer, length) : std::string();
}

bool windowsIsXp()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           info.dwMajorVersion == 5 && info.dwMinorVersion == 1;
}

void writePattern(int pattern)
{
    for (int c = 0; c < 3; ++c)
        Zorik_Write(c, (pattern >> c) & 1);
}

int readPattern()
{
    return Zorik_Read(0) | Zorik_Read(1) << 1 | Zorik_Read(2) << 2;
}

} // namespace

TEST(SimDllHealthy, EveryPatternComesBackOnItsOwnInputs)
{
    if (!environment("ZORIK_SIM").empty())
        GTEST_SKIP() << "needs ZORIK_SIM unset";
    EXPECT_EQ(readPattern(), 0) << "the data register starts at 0";
    for (int pattern = 0; pattern < 8; ++pattern) {
        writePattern(pattern);
        EXPECT_EQ(readPattern(), pattern);
    }
    writePattern(7);
    EXPECT_EQ(Zorik_Read(3), 0);
    Zorik_Write(3, 0);
    Zorik_Write(-1, 0);
    EXPECT_EQ(readPattern(), 7) << "channels out of range must not touch the outputs";
}

TEST(SimDllStuck, InputOneStaysOnWhateverItsOutput)
{
    if (environment("ZORIK_SIM") != "stuck-on=1")
        GTEST_SKIP() << "needs ZORIK_SIM=stuck-on=1";
    for (int pattern = 0; pattern < 8; ++pattern) {
        writePattern(pattern);
        EXPECT_EQ(readPattern(), pattern | 2) << pattern;
    }
}

TEST(SimDllOpen, SimulatedDriverOpensXpWithoutARealOne)
{
    if (!windowsIsXp() || !environment("ZORIK_SIM").empty())
        GTEST_SKIP() << "needs Windows XP and ZORIK_SIM unset";
    HANDLE real = CreateFileA("\\\\.\\giveio", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (real != INVALID_HANDLE_VALUE)
        CloseHandle(real);
    ASSERT_EQ(real, INVALID_HANDLE_VALUE) << "a real giveio device would hide the simulated one";

    const WatchedCall open = callDismissingBoxes(Zorik_Open, 1, BOX_TIMEOUT_MS);
    ASSERT_TRUE(open.returned);
    EXPECT_EQ(open.result, 1);
    EXPECT_TRUE(open.boxes.empty()) << open.boxes[0].caption << ": " << open.boxes[0].text;
    // Mode 1 forces data bits 5 to 7, which the unit does not look at.
    for (int pattern = 0; pattern < 8; ++pattern) {
        writePattern(pattern);
        EXPECT_EQ(readPattern(), pattern);
    }
}

TEST(SimDllOpen, MissingDriverShowsTheFatalBox)
{
    if (!windowsIsXp() || environment("ZORIK_SIM") != "no-giveio")
        GTEST_SKIP() << "needs Windows XP and ZORIK_SIM=no-giveio";
    const WatchedCall open = callDismissingBoxes(Zorik_Open, 1, BOX_TIMEOUT_MS);
    ASSERT_TRUE(open.returned);
    EXPECT_EQ(open.result, 0);
    ASSERT_FALSE(open.boxes.empty()) << "no box appeared";
    EXPECT_EQ(open.boxes[0].caption, "Zorik-Unit Fatal Error");
    EXPECT_EQ(open.boxes[0].text, "Couldn't access giveio device");
}

// The x64 library reaches its port through inpoutx64.dll: the simulated
// unit stands in for it, its driver open unless no-giveio says the unit's
// driver is missing.
TEST(SimDllOpen, X64UnitStandsInForInpOutX64)
{
    const std::string settings = environment("ZORIK_SIM");
    if (sizeof(void*) != 8 || (!settings.empty() && settings != "no-giveio"))
        GTEST_SKIP() << "needs the x64 library and ZORIK_SIM unset or no-giveio";
    const WatchedCall open = callDismissingBoxes(Zorik_Open, 1, BOX_TIMEOUT_MS);
    ASSERT_TRUE(open.returned);
    if (settings.empty()) {
        EXPECT_EQ(open.result, 1);
        EXPECT_TRUE(open.boxes.empty()) << open.boxes[0].caption << ": " << open.boxes[0].text;
        for (int pattern = 0; pattern < 8; ++pattern) {
            writePattern(pattern);
            EXPECT_EQ(readPattern(), pattern);
        }
        return;
    }
    EXPECT_EQ(open.result, 0);
    ASSERT_EQ(open.boxes.size(), 1u);
    EXPECT_EQ(open.boxes[0].caption, "Zorik-Unit Fatal Error");
    EXPECT_EQ(open.boxes[0].text.rfind("inpoutx64.dll in the folder of ZorikApi.dll cannot open its driver. ", 0), 0u)
        << open.boxes[0].text;
}

// Beside a ZorikApi.ini whose Base is the status port typed by mistake.
TEST(SimDllCardBadBase, OpenTellsItAndTheUnitIsNeverDriven)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string ini(self);
    ini = ini.substr(0, ini.find_last_of('\\') + 1) + "ZorikApi.ini";
    char base[16] = {};
    GetPrivateProfileStringA("Port", "Base", "", base, sizeof base, ini.c_str());
    if (std::string(base) != "0x379" || !environment("ZORIK_SIM").empty())
        GTEST_SKIP() << "needs Base=0x379 in " << ini << " and ZORIK_SIM unset";

    writePattern(7);
    EXPECT_EQ(readPattern(), 0) << "a port was touched";
    const WatchedCall open = callDismissingBoxes(Zorik_Open, 1, BOX_TIMEOUT_MS);
    ASSERT_TRUE(open.returned);
    EXPECT_EQ(open.result, 0);
    ASSERT_FALSE(open.boxes.empty()) << "no box appeared";
    EXPECT_EQ(open.boxes[0].caption, "Zorik-Unit Fatal Error");
    EXPECT_EQ(open.boxes[0].text,
              "ZorikApi.ini: Base=0x379 is not a parallel port base (0x100 to 0xFFFC, a multiple of 4)");
}

// Runs only in the child process started by the case below, with a
// malformed ZORIK_SIM: the first call into the DLL must not come back.
TEST(SimDllBadSettingsChild, DISABLED_FirstCallEndsTheProcess)
{
    Zorik_Read(0);
    ADD_FAILURE() << "the DLL ran with ZORIK_SIM=" << environment("ZORIK_SIM");
}

namespace {

struct ChildRun {
    std::optional<MessageBoxContent> box;
    bool ended = false;
    DWORD exitCode = 0;
    std::string output;
};

// Starts this program again with ZORIK_SIM set to `settings`, running only
// the child case, and collects its output, box and exit code.
ChildRun runChildWithSettings(const char* settings)
{
    ChildRun run;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self +
                          "\" --gtest_also_run_disabled_tests"
                          " --gtest_filter=SimDllBadSettingsChild.DISABLED_FirstCallEndsTheProcess";

    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
        return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION child{};
    SetEnvironmentVariableA("ZORIK_SIM", settings);
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &child);
    SetEnvironmentVariableA("ZORIK_SIM", nullptr);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return run;
    }

    // The pipe is polled rather than read to its end: a stray holder of
    // its write end must not keep the test waiting.
    std::atomic<bool> childEnded{false};
    zorik::test::TestThread reader([&] {
        for (;;) {
            const bool last = childEnded.load();
            DWORD available = 0;
            while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
                char buffer[4096];
                DWORD got = 0;
                if (!ReadFile(readEnd, buffer, sizeof buffer < available ? sizeof buffer : available, &got,
                              nullptr) || got == 0)
                    break;
                run.output.append(buffer, got);
            }
            if (last)
                return;
            Sleep(20);
        }
    });
    if (HWND box = zorik::tools::waitForMessageBox(child.dwProcessId, BOX_TIMEOUT_MS)) {
        run.box = zorik::tools::readMessageBox(box);
        zorik::tools::pressButton(box, IDOK);
    }
    run.ended = WaitForSingleObject(child.hProcess, BOX_TIMEOUT_MS) == WAIT_OBJECT_0;
    if (!run.ended) {
        TerminateProcess(child.hProcess, 1);
        WaitForSingleObject(child.hProcess, BOX_TIMEOUT_MS);
    }
    GetExitCodeProcess(child.hProcess, &run.exitCode);
    childEnded = true;
    reader.join();
    CloseHandle(readEnd);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return run;
}

} // namespace

TEST(SimDllBadSettings, ProcessSaysWhatIsWrongAndEndsWithCodeThree)
{
    const ChildRun run = runChildWithSettings(BAD_SETTINGS);
    ASSERT_TRUE(run.box) << "no box appeared; output:\n" << run.output;
    EXPECT_EQ(run.box->caption, "Zorik-Unit Simulator");
    EXPECT_EQ(run.box->text.rfind("ZORIK_SIM: unknown item \"bogus\"; accepted items: ", 0), 0u)
        << run.box->text;
    EXPECT_TRUE(run.ended) << "the child did not end after its box";
    EXPECT_EQ(run.exitCode, BAD_SETTINGS_EXIT_CODE) << run.output;
    EXPECT_NE(run.output.find(run.box->text), std::string::npos) << "stderr lacks the message:\n"
                                                                 << run.output;
}
