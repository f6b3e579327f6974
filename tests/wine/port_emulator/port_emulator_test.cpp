// The hardware build's port traffic, seen through the debugger-based port
// emulator: port_script.exe runs one scenario as a debuggee, and each test
// compares the accesses every library call made with what the unit must see.
#include "../support/prefix_facts.h"
#include "../support/staged_library.h"
#include "port_debugger.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <ostream>

namespace zorik::wine {

// Readable failure messages.
void PrintTo(const PortAccess& access, std::ostream* out)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s 0x%03X 0x%02X", access.write ? "out" : "in", access.port, access.value);
    *out << text;
}

void PrintTo(const Step& step, std::ostream* out)
{
    *out << "\n  " << (step.name.empty() ? "(before any call)" : step.name) << ":";
    for (const PortAccess& access : step.accesses) {
        *out << " ";
        PrintTo(access, out);
    }
}

namespace {

constexpr unsigned RUN_TIMEOUT_MS = 60000;
constexpr std::uint16_t DATA_PORT = 0x378;
constexpr std::uint16_t STATUS_PORT = 0x379;

constexpr char SCRIPT[] = "port_script.exe";

PortAccess out(std::uint8_t value, std::uint16_t dataPort = DATA_PORT) { return {true, dataPort, value}; }
PortAccess in(std::uint8_t value, std::uint16_t dataPort = DATA_PORT)
{
    return {false, static_cast<std::uint16_t>(dataPort + 1), value};
}

std::string besideThisTest(const char* program)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path);
    return directory.substr(0, directory.find_last_of('\\') + 1) + program;
}

std::string scriptPath() { return besideThisTest(SCRIPT); }

std::string withoutCarriageReturns(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

struct ScriptRun {
    std::vector<Step> steps;
    std::string output;
};

// The script beside this test, or a copy of it elsewhere, whose status
// register the emulator models at `statusPort`.
ScriptRun runScript(const std::string& arguments, const std::string& program = scriptPath(),
                    std::uint16_t statusPort = STATUS_PORT)
{
    const EmulatedRun run = runUnderPortEmulator("\"" + program + "\" " + arguments, RUN_TIMEOUT_MS, statusPort);
    EXPECT_TRUE(run.exited) << arguments;
    EXPECT_EQ(0u, run.exitCode) << arguments;
    for (const std::string& problem : run.problems)
        ADD_FAILURE() << arguments << ": " << problem;
    // Loading the library must not touch the port.
    EXPECT_FALSE(run.steps.empty());
    if (!run.steps.empty()) {
        EXPECT_TRUE(run.steps.front().accesses.empty()) << ::testing::PrintToString(run.steps.front());
    }
    ScriptRun script;
    if (run.steps.size() > 1)
        script.steps.assign(run.steps.begin() + 1, run.steps.end());
    script.output = withoutCarriageReturns(run.output);
    return script;
}

// Data bytes written by the call sequence starting from the latch's
// initial 0x07, in mode 0 and in mode 1; no byte means nothing written.
struct WriteRow {
    const char* call;
    std::optional<std::uint8_t> mode0;
    std::optional<std::uint8_t> mode1;
};
const WriteRow WRITE_TABLE[] = {
    {"Zorik_Write(0,0)", 0x06, 0xE6}, {"Zorik_Write(2,1)", 0x06, 0xE6}, {"Zorik_Write(1,0)", 0x04, 0xE4},
    {"Zorik_Write(1,1)", 0x06, 0xE6}, {"Zorik_Write(1,2)", 0x04, 0xE4}, {"Zorik_Write(3,1)", {}, {}},
};

std::vector<Step> openThenWriteTable(int mode, bool forced, std::uint16_t dataPort = DATA_PORT)
{
    std::vector<Step> steps{{"Zorik_Open(" + std::to_string(mode) + ")", {}}};
    for (const WriteRow& row : WRITE_TABLE) {
        const auto& byte = forced ? row.mode1 : row.mode0;
        steps.push_back(
            {row.call, byte ? std::vector<PortAccess>{out(*byte, dataPort)} : std::vector<PortAccess>{}});
    }
    return steps;
}

// port_script mode-sticks: Zorik_Open(1), then Zorik_Open(0); the forced
// high bits stay.
constexpr char MODE_STICKS_OUTPUT[] = "Zorik_Open(1)=1\nZorik_Open(0)=1\n";
std::vector<Step> modeSticksSteps()
{
    return {
        {"Zorik_Open(1)", {}},
        {"Zorik_Write(0,0)", {out(0xE6)}},
        {"Zorik_Open(0)", {}},
        {"Zorik_Write(0,1)", {out(0xE7)}},
        {"Zorik_Write(1,0)", {out(0xE5)}},
    };
}

// One loopback test cycle (port_script test-cycle: pattern 0b101, status
// 0x50, so input 1 alone is low), opened in mode 1.
std::vector<Step> testCycleSteps(std::uint16_t dataPort = DATA_PORT)
{
    return {
        {"Zorik_Open(1)", {}},
        {"Zorik_Write(0,1)", {out(0xE7, dataPort)}},
        {"Zorik_Read(0)", {in(0x50, dataPort)}},
        {"Zorik_Write(1,0)", {out(0xE5, dataPort)}},
        {"Zorik_Read(1)", {in(0x50, dataPort)}},
        {"Zorik_Write(2,1)", {out(0xE5, dataPort)}},
        {"Zorik_Read(2)", {in(0x50, dataPort)}},
    };
}
constexpr char TEST_CYCLE_OUTPUT[] = "Zorik_Open(1)=1\ncycle: 0 1 0\n";

// Zorik_Read results for channels 0 to 3 by status byte.
struct ReadRow {
    std::uint8_t status;
    int channel[4];
};
const ReadRow READ_TABLE[] = {
    {0x00, {1, 1, 1, 0}},
    {0x20, {1, 0, 1, 0}},
    {0x78, {0, 0, 0, 0}},
};

constexpr char FATAL_BOX[] = "box Zorik-Unit Fatal Error: ";

// `opened`: the script opened the library in mode 1 first (open-then-reads).
void expectAllChannelsReadThroughStatus(const ScriptRun& run, bool opened = false)
{
    std::vector<Step> steps;
    std::string output;
    if (opened) {
        steps.push_back({"Zorik_Open(1)", {}});
        output = "Zorik_Open(1)=1\n";
    }
    for (const ReadRow& row : READ_TABLE) {
        char line[64];
        // Negative channels, like 3 and above, read as 0 without a port access.
        std::snprintf(line, sizeof line, "status %02X: %d %d %d %d 0 0\n", row.status, row.channel[0],
                      row.channel[1], row.channel[2], row.channel[3]);
        output += line;
        for (int channel = 0; channel < 3; ++channel)
            steps.push_back({"Zorik_Read(" + std::to_string(channel) + ")", {in(row.status)}});
        steps.push_back({"Zorik_Read(3)", {}});
        steps.push_back({"Zorik_Read(-1)", {}});
        steps.push_back({"Zorik_Read(-2147483648)", {}});
    }
    EXPECT_EQ(output, run.output);
    EXPECT_EQ(steps, run.steps);
}

// ---------------------------------------------------------------- 9x family

class PortEmulatorOnWin98 : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), platformId()) << "prefix is not 9x";
    }
};

TEST_F(PortEmulatorOnWin98, OpenInModeOneIsNotRecordedSoNoBitIsForced)
{
    const ScriptRun run = runScript("open-then-writes 1");
    EXPECT_EQ("Zorik_Open(1)=1\n", run.output);
    EXPECT_EQ(openThenWriteTable(1, false), run.steps);
}

TEST_F(PortEmulatorOnWin98, ReadsDecodeTheStatusRegister)
{
    expectAllChannelsReadThroughStatus(runScript("reads"));
}

TEST_F(PortEmulatorOnWin98, OutOfRangeChannelsTouchNeitherPortNorLatch)
{
    const ScriptRun run = runScript("ignored-channels");
    EXPECT_EQ("reads 0 0 0\n", run.output);
    const std::vector<Step> expected{
        {"Zorik_Write(3,1)", {}},
        {"Zorik_Write(7,0)", {}},
        {"Zorik_Write(2147483647,1)", {}},
        {"Zorik_Write(-1,1)", {}},
        {"Zorik_Write(-1,0)", {}},
        {"Zorik_Write(-2147483648,1)", {}},
        {"Zorik_Read(3)", {}},
        {"Zorik_Read(-1)", {}},
        {"Zorik_Read(-2147483648)", {}},
        {"Zorik_Write(0,0)", {out(0x06)}},
    };
    EXPECT_EQ(expected, run.steps);
}

// ZorikApi.ini beside the library, read through the system's profile
// function: section and key in any case and blanks around the value as it
// reads them; a [Port] section without Base, or Base elsewhere, is no
// setting. Every access moves to Base and Base + 1, before Zorik_Open too.
TEST_F(PortEmulatorOnWin98, ConfiguredBaseMovesEveryAccess)
{
    const struct {
        const char* ini;
        std::uint16_t dataPort;
    } rows[] = {
        {"[Port]\r\nBase=0xD010\r\n", 0xD010},
        {"; LPT2 on the card\r\n[port]\r\n  BASE =  0XE800  \r\n", 0xE800},
        {"[Other]\r\nBase=0xD010\r\n[Port]\r\nMode=1\r\n", DATA_PORT},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ini);
        const StagedLibrary staged(SCRIPT, row.ini);
        ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
        const ScriptRun run = runScript("first-calls", staged.programPath(), row.dataPort + 1);
        EXPECT_EQ("Zorik_Read(1)=1\nZorik_Open(1)=1\nZorik_Read(2)=1\n", run.output);
        const std::vector<Step> expected{
            {"Zorik_Write(0,0)", {out(0x06, row.dataPort)}}, {"Zorik_Read(1)", {in(0x00, row.dataPort)}},
            {"Zorik_Open(1)", {}},                          {"Zorik_Write(1,0)", {out(0x04, row.dataPort)}},
            {"Zorik_Read(2)", {in(0x00, row.dataPort)}},
        };
        EXPECT_EQ(expected, run.steps);
    }
}

// The file as Notepad saves it as "Unicode": FF FE, then UTF-16 LE.
std::string savedAsUnicode(const std::string& ascii)
{
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii)
        bytes += std::string{c, '\0'};
    return bytes;
}

std::string savedAsMessage(const char* encoding)
{
    return std::string("ZorikApi.ini is saved as ") + encoding + ": save it as ANSI (Notepad: Save As, Encoding ANSI)";
}

// A bad value, even an empty one (of Base or of Access), or a file that Windows would not read
// (Wine reads through a byte-order mark, Windows does not): Zorik_Open
// shows its one box and returns 0 where 9x would grant the ports at once;
// no call touches any port, reads return 0 and neither Zorik_Read nor
// Zorik_Write shows a box.
TEST_F(PortEmulatorOnWin98, BadBaseIsToldByOpenAndTouchesNoPort)
{
    const struct {
        std::string ini;
        std::string box;
    } rows[] = {
        {"\xEF\xBB\xBF[Port]\r\nBase=0xD010\r\n", savedAsMessage("UTF-8")},
        {savedAsUnicode("[Port]\r\nBase=0xD010\r\n"), savedAsMessage("Unicode")},
        {"[Port]\r\nBase=0x379\r\n",
         "ZorikApi.ini: Base=0x379 is not a parallel port base (0x100 to 0xFFFC, a multiple of 4)"},
        {"[Port]\r\nBase=\r\n", "ZorikApi.ini: Base= is not a parallel port base (0x100 to 0xFFFC, a multiple of 4)"},
        {"[Port]\r\nAccess=inpout\r\n",
         "ZorikApi.ini: Access=inpout is not a way to the port (auto, giveio or inpout32)"},
        {"[Port]\r\nBase=0xD010\r\naccess = \r\n",
         "ZorikApi.ini: Access= is not a way to the port (auto, giveio or inpout32)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.box);
        const StagedLibrary staged(SCRIPT, row.ini);
        ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
        const ScriptRun run = runScript("first-calls", staged.programPath());
        EXPECT_EQ(std::string("Zorik_Read(1)=0\n") + FATAL_BOX + row.box + "\nZorik_Open(1)=0\nZorik_Read(2)=0\n",
                  run.output);
        const std::vector<Step> expected{
            {"Zorik_Write(0,0)", {}}, {"Zorik_Read(1)", {}}, {"Zorik_Open(1)", {}},
            {"Zorik_Write(1,0)", {}}, {"Zorik_Read(2)", {}},
        };
        EXPECT_EQ(expected, run.steps);
    }
}

TEST_F(PortEmulatorOnWin98, ConcurrentWritersOnTwoChannelsLoseNoUpdate)
{
    constexpr int WRITES_PER_THREAD = 200;
    const auto started = std::chrono::steady_clock::now();
    const ScriptRun run = runScript("concurrent-writers " + std::to_string(WRITES_PER_THREAD));
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(2u, run.steps.size());

    const Step& writers = run.steps[0];
    EXPECT_EQ("two writers", writers.name);
    ASSERT_EQ(2u * WRITES_PER_THREAD, writers.accesses.size());
    // Every byte is the one before with at most the writing thread's own
    // bit changed; a lost update would change both channels' bits at once.
    std::uint8_t previous = 0x07;
    int lastChanged = 0;
    int handOvers = 0; // how often the other writer got the port next
    for (std::size_t i = 0; i < writers.accesses.size(); ++i) {
        const PortAccess& access = writers.accesses[i];
        ASSERT_TRUE(access.write && access.port == DATA_PORT) << "access " << i;
        EXPECT_EQ(0x04, access.value & ~0x03) << "access " << i << ": channel 2 or forced bits changed";
        const int changed = (previous ^ access.value) & 0x03;
        EXPECT_TRUE(changed == 0 || changed == 0x01 || changed == 0x02)
            << "access " << i << ": 0x" << std::hex << int(previous) << " -> 0x" << int(access.value);
        if (changed != 0 && lastChanged != 0 && changed != lastChanged)
            ++handOvers;
        if (changed != 0)
            lastChanged = changed;
        previous = access.value;
    }
    // Channel 0 ended on, channel 1 off; then channel 2 goes off too.
    EXPECT_EQ(0x05, previous);
    EXPECT_EQ((Step{"Zorik_Write(2,0)", {out(0x01)}}), run.steps[1]);

    std::printf("[ figures  ] %d emulated port writes in %.0f ms (%.2f ms each, start-up included), "
                "%d hand-overs between the writers\n",
                2 * WRITES_PER_THREAD, took.count(), took.count() / (2 * WRITES_PER_THREAD), handOvers);
}

// ------------------------------------------------------ NT family, giveio

class PortEmulatorOnWinXpWithGiveio : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), platformId()) << "prefix is not NT";
        ASSERT_TRUE(giveioOpens()) << "prefix has no giveio device";
    }
};

TEST_F(PortEmulatorOnWinXpWithGiveio, OpenInModeOneForcesTheHighDataBits)
{
    const ScriptRun run = runScript("open-then-writes 1");
    EXPECT_EQ("Zorik_Open(1)=1\n", run.output);
    EXPECT_EQ(openThenWriteTable(1, true), run.steps);
}

TEST_F(PortEmulatorOnWinXpWithGiveio, OpenInModeZeroForcesNothing)
{
    const ScriptRun run = runScript("open-then-writes 0");
    EXPECT_EQ("Zorik_Open(0)=1\n", run.output);
    EXPECT_EQ(openThenWriteTable(0, false), run.steps);
}

TEST_F(PortEmulatorOnWinXpWithGiveio, ForcedBitsOutliveALaterOpenInModeZero)
{
    const ScriptRun run = runScript("mode-sticks");
    EXPECT_EQ(MODE_STICKS_OUTPUT, run.output);
    EXPECT_EQ(modeSticksSteps(), run.steps);
}

TEST_F(PortEmulatorOnWinXpWithGiveio, ReadsDoNotDependOnTheMode)
{
    expectAllChannelsReadThroughStatus(runScript("reads"));
}

TEST_F(PortEmulatorOnWinXpWithGiveio, ATestCycleMovesTheseBytes)
{
    const ScriptRun run = runScript("test-cycle");
    EXPECT_EQ(TEST_CYCLE_OUTPUT, run.output);
    EXPECT_EQ(testCycleSteps(), run.steps);
    expectAllChannelsReadThroughStatus(runScript("open-then-reads"), true);
}

// Programs built for the Microsoft ABI without a C runtime (msvc_client/),
// bound through ZorikApi.lib at load time or through GetProcAddress by name
// and by ordinal: each reaches the three functions with its arguments.
class MsvcClientsOnWinXpWithGiveio : public PortEmulatorOnWinXpWithGiveio {};

// Each way a Microsoft-ABI client binds, and the steps every one of them
// takes: the mode's writes, then a read of each channel (3 touches no port).
const struct {
    const char* program;
    const char* arguments;
} MSVC_BINDINGS[] = {{"zorik_msvc_linked.exe", ""}, {"zorik_msvc_loading.exe", "name"}, {"zorik_msvc_loading.exe", "ordinal"}};

std::vector<Step> msvcClientSteps()
{
    std::vector<Step> steps = openThenWriteTable(1, true);
    for (int channel = 0; channel < 4; ++channel)
        steps.push_back({"Zorik_Read(" + std::to_string(channel) + ")",
                         channel < 3 ? std::vector<PortAccess>{in(0x20)} : std::vector<PortAccess>{}});
    return steps;
}

TEST_F(MsvcClientsOnWinXpWithGiveio, EveryBindingDrivesThePort)
{
    const std::vector<Step> expected = msvcClientSteps();
    for (const auto& row : MSVC_BINDINGS) {
        SCOPED_TRACE(row.program + std::string(" ") + row.arguments);
        const ScriptRun run = runScript(row.arguments, besideThisTest(row.program));
        EXPECT_EQ("Zorik_Open(1)=1\nstatus 20: 1 0 1 0\n", run.output);
        EXPECT_EQ(expected, run.steps);
    }
}

// --------------------------------------------------- NT family, no giveio

class PortEmulatorOnWinXpWithoutGiveio : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), platformId()) << "prefix is not NT";
        ASSERT_FALSE(giveioOpens()) << "prefix has a giveio device";
    }
};

TEST_F(PortEmulatorOnWinXpWithoutGiveio, RefusedOpenLeavesTheModeAtZero)
{
    const ScriptRun run = runScript("open-then-writes 1");
    EXPECT_EQ(std::string(FATAL_BOX) + "Couldn't access giveio device\nZorik_Open(1)=0\n", run.output);
    EXPECT_EQ(openThenWriteTable(1, false), run.steps);
}

// ------------------------------------------- NT family, InpOut32's library
//
// A stand-in inpout32.dll of our own (inpout_standin/) beside a staged copy
// of the library. Under the emulator the stand-in moves each byte with the
// processor's own port instructions, so the emulator sees exactly the bytes
// the library handed to DlPortWritePortUchar and took from
// DlPortReadPortUchar; the stand-in's log shows that they went through it.

// InpOut32's library for this test's processor: the 32-bit library's or
// the x64 library's.
#ifdef _WIN64
constexpr char STANDIN_FILE[] = "inpoutx64.dll";
#else
constexpr char STANDIN_FILE[] = "inpout32.dll";
#endif

std::string standIn(const char* variant)
{
    return std::string(ZORIK_INPOUT_STANDINS) + "/" + variant + "/" + STANDIN_FILE;
}

std::vector<StagedFile> besideTheLibrary(const char* variant = "inpout32")
{
    return {{STANDIN_FILE, standIn(variant), ""}};
}

// The stand-in's switches, set in this process's environment for the
// script it starts, and its log, read back and removed at the end.
class StandInSwitches {
public:
    explicit StandInSwitches(const char* driver = "open")
    {
        char temp[MAX_PATH + 1] = {};
        char name[MAX_PATH + 1] = {};
        GetTempPathA(MAX_PATH, temp);
        GetTempFileNameA(temp, "zio", 0, name);
        DeleteFileA(name);
        log_ = name;
        SetEnvironmentVariableA("ZORIK_INPOUT_LOG", log_.c_str());
        SetEnvironmentVariableA("ZORIK_INPOUT_PORT", "instructions");
        SetEnvironmentVariableA("ZORIK_INPOUT_DRIVER", driver);
    }
    ~StandInSwitches()
    {
        for (const char* name : {"ZORIK_INPOUT_LOG", "ZORIK_INPOUT_PORT", "ZORIK_INPOUT_DRIVER"})
            SetEnvironmentVariableA(name, nullptr);
        DeleteFileA(log_.c_str());
    }
    StandInSwitches(const StandInSwitches&) = delete;
    StandInSwitches& operator=(const StandInSwitches&) = delete;

    // Every line of the log; none when no stand-in ever loaded.
    std::vector<std::string> lines() const
    {
        std::vector<std::string> lines;
        HANDLE file = CreateFileA(log_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return lines;
        std::string text;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got != 0)
            text.append(buffer, got);
        CloseHandle(file);
        std::size_t start = 0;
        for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

private:
    std::string log_;
};

// The log's line for each access the emulator saw, in order: the library
// called the stand-in once per byte and made no port access of its own.
std::vector<std::string> libraryCallsFor(const std::vector<Step>& steps)
{
    std::vector<std::string> calls;
    for (const Step& step : steps) {
        for (const PortAccess& access : step.accesses) {
            char line[64];
            std::snprintf(line, sizeof line, "%s %04X %02X",
                          access.write ? "DlPortWritePortUchar" : "DlPortReadPortUchar", access.port, access.value);
            calls.push_back(line);
        }
    }
    return calls;
}

std::vector<std::string> portCallsIn(const std::vector<std::string>& log)
{
    std::vector<std::string> calls;
    for (const std::string& line : log)
        if (line.rfind("DlPort", 0) == 0 || line.rfind("Inp32", 0) == 0 || line.rfind("Out32", 0) == 0)
            calls.push_back(line);
    return calls;
}

// The stand-in beside the staged library loaded once, from there, and was
// asked about its driver `driverChecks` times.
void expectLoadedFromBesideTheLibrary(const std::vector<std::string>& log, const StagedLibrary& staged,
                                      int driverChecks = 1, const char* driverAnswer = "1")
{
    ASSERT_FALSE(log.empty()) << "the stand-in never loaded";
    EXPECT_EQ("loaded " + staged.folder() + STANDIN_FILE, log.front());
    EXPECT_EQ(driverChecks, std::count(log.begin(), log.end(), std::string("IsInpOutDriverOpen ") + driverAnswer))
        << ::testing::PrintToString(log);
}

// Runs `arguments` against the staged library with the stand-in's switches
// set: the stand-in beside the library loaded, was asked about its driver
// `driverChecks` times, and carried every byte the emulator saw.
ScriptRun runThroughStandIn(const std::string& arguments, const StagedLibrary& staged,
                            std::uint16_t statusPort = STATUS_PORT, int driverChecks = 1)
{
    const StandInSwitches standIn;
    ScriptRun run = runScript(arguments, staged.programPath(), statusPort);
    const std::vector<std::string> log = standIn.lines();
    expectLoadedFromBesideTheLibrary(log, staged, driverChecks);
    EXPECT_EQ(libraryCallsFor(run.steps), portCallsIn(log));
    return run;
}

// A library in the current folder and first on PATH for as long as this
// lives: where the loader would look if the library asked it by bare name.
class PlantedInCurrentFolderAndPath {
public:
    explicit PlantedInCurrentFolderAndPath(const std::string& folder)
    {
        GetCurrentDirectoryA(MAX_PATH, previousFolder_);
        GetEnvironmentVariableA("PATH", previousPath_, sizeof previousPath_);
        entered_ = SetCurrentDirectoryA(folder.c_str()) != FALSE;
        SetEnvironmentVariableA("PATH", (folder + ";" + previousPath_).c_str());
    }
    ~PlantedInCurrentFolderAndPath()
    {
        SetCurrentDirectoryA(previousFolder_);
        SetEnvironmentVariableA("PATH", previousPath_);
    }
    PlantedInCurrentFolderAndPath(const PlantedInCurrentFolderAndPath&) = delete;
    PlantedInCurrentFolderAndPath& operator=(const PlantedInCurrentFolderAndPath&) = delete;

    bool entered() const { return entered_; }

private:
    char previousFolder_[MAX_PATH + 1] = {};
    char previousPath_[32768] = {};
    bool entered_ = false;
};

// Runs `script` against a library staged without the stand-in while one
// lies in the current folder and first on PATH: that one never loads.
// `check` looks at the run.
void expectNeverLoadedFromElsewhere(const std::string& script,
                                    const std::function<void(const ScriptRun&, const StagedLibrary&)>& check)
{
    const StagedLibrary planted(SCRIPT, "", besideTheLibrary());
    const StagedLibrary staged(SCRIPT, "");
    ASSERT_FALSE(planted.programPath().empty()) << planted.problem();
    ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
    const PlantedInCurrentFolderAndPath plant(planted.folder());
    ASSERT_TRUE(plant.entered());
    const StandInSwitches standIn;
    const ScriptRun run = runScript(script, staged.programPath());
    check(run, staged);
    EXPECT_TRUE(standIn.lines().empty()) << ::testing::PrintToString(standIn.lines());
}

// A row of a table of ways the library cannot help: the files staged beside
// it, the stand-in's driver answer, the box Zorik_Open shows and whether
// the stand-in loaded at all.
struct FailureRow {
    const char* what;
    const char* ini;
    std::vector<StagedFile> files;
    const char* driver;
    std::string box; // the staged folder in place of its first '\'
    bool loaded;
};

const char NOT_A_DLL[] = "MZ this is no Windows image";

// The row's box with the staged folder in place of its first '\'; a box
// holding `keptAsIs` names no folder and stays as written.
std::string boxFor(const FailureRow& row, const StagedLibrary& staged, const char* keptAsIs)
{
    std::string box = row.box;
    if (const std::size_t at = box.find('\\'); at != std::string::npos && box.find(keptAsIs) == std::string::npos)
        box.replace(at, 1, staged.folder());
    return box;
}

// The stand-in loaded only where the row says, and no byte went through it.
void expectNoPortCalls(const FailureRow& row, const std::vector<std::string>& log)
{
    EXPECT_EQ(row.loaded, !log.empty()) << ::testing::PrintToString(log);
    EXPECT_TRUE(portCallsIn(log).empty()) << ::testing::PrintToString(log);
}

class InpOutOnWinXpWithoutGiveio : public PortEmulatorOnWinXpWithoutGiveio {};

// The same tables as giveio's: a test cycle, the mode's forced bits, the
// reads, at 0x378 and at a card's base (0xFFF8: above 0x7FFF, where a port
// taken as a signed short would turn negative).
TEST_F(InpOutOnWinXpWithoutGiveio, CarriesTheBytesGiveioWouldCarry)
{
    const struct {
        const char* ini;
        std::uint16_t dataPort;
    } bases[] = {{"", DATA_PORT}, {"[Port]\r\nBase=0xD010\r\n", 0xD010}, {"[Port]\r\nBase=0xFFF8\r\n", 0xFFF8}};
    for (const auto& base : bases) {
        SCOPED_TRACE(base.ini);
        const StagedLibrary staged(SCRIPT, base.ini, besideTheLibrary());
        ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
        const std::uint16_t statusPort = static_cast<std::uint16_t>(base.dataPort + 1);
        {
            const ScriptRun run = runThroughStandIn("test-cycle", staged, statusPort);
            EXPECT_EQ(TEST_CYCLE_OUTPUT, run.output);
            EXPECT_EQ(testCycleSteps(base.dataPort), run.steps);
        }
        {
            const StandInSwitches standIn;
            const ScriptRun run = runScript("open-then-writes 1", staged.programPath(), statusPort);
            EXPECT_EQ("Zorik_Open(1)=1\n", run.output);
            EXPECT_EQ(openThenWriteTable(1, true, base.dataPort), run.steps);
            EXPECT_EQ(libraryCallsFor(run.steps), portCallsIn(standIn.lines()));
        }
    }
    const StagedLibrary staged(SCRIPT, "", besideTheLibrary());
    const StandInSwitches standIn;
    const ScriptRun run = runScript("open-then-reads", staged.programPath());
    expectAllChannelsReadThroughStatus(run, true);
    EXPECT_EQ(libraryCallsFor(run.steps), portCallsIn(standIn.lines()));
}

TEST_F(InpOutOnWinXpWithoutGiveio, ASecondOpenAsksTheDriverAgainAndKeepsTheRoute)
{
    const StagedLibrary staged(SCRIPT, "[Port]\r\nAccess=inpout32\r\n", besideTheLibrary());
    ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
    const ScriptRun run = runThroughStandIn("mode-sticks", staged, STATUS_PORT, 2);
    EXPECT_EQ(MODE_STICKS_OUTPUT, run.output);
    EXPECT_EQ(modeSticksSteps(), run.steps);
}

// Where the library cannot help, Zorik_Open says what to do and returns 0;
// the port stays as on NT without giveio (the processor's instructions,
// which the system refuses): nothing goes through a library that answered
// no, or lacks a function.
TEST_F(InpOutOnWinXpWithoutGiveio, EachFailureHasItsBox)
{
    const FailureRow rows[] = {
        {"driver not open", "", besideTheLibrary(), "closed",
         "inpout32.dll in \\ cannot open its driver. Start Zorik once as administrator (right-click, Run as "
         "administrator): the driver is installed then, and later starts need no rights. If it still fails, "
         "Windows blocks the driver (for example Memory integrity, under Core isolation in Windows Security)",
         true},
        {"no DlPortWritePortUchar", "", besideTheLibrary("lacks_write"), "open",
         "\\inpout32.dll lacks the function DlPortWritePortUchar: it must be the 32-bit inpout32.dll of InpOut32, "
         "also on 64-bit Windows",
         true},
        {"no IsInpOutDriverOpen", "", besideTheLibrary("lacks_driver_check"), "open",
         "\\inpout32.dll lacks the function IsInpOutDriverOpen: it must be the 32-bit inpout32.dll of InpOut32, "
         "also on 64-bit Windows",
         true},
        {"no DLL at all", "", {{"inpout32.dll", "", NOT_A_DLL}}, "open",
         "\\inpout32.dll cannot be loaded (Windows error 193): it must be the 32-bit inpout32.dll of InpOut32, "
         "also on 64-bit Windows",
         false},
        {"Access=inpout32 without the file", "[Port]\r\nAccess=inpout32\r\n", {}, "open",
         "inpout32.dll is not in \\ (ZorikApi.ini: Access=inpout32): put the 32-bit inpout32.dll of InpOut32 "
         "there, beside ZorikApi.dll",
         false},
        {"Access=giveio: inpout32.dll left alone", "[Port]\r\nAccess=giveio\r\n", besideTheLibrary(), "open",
         "Couldn't access giveio device", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const StagedLibrary staged(SCRIPT, row.ini, row.files);
        ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
        const StandInSwitches standIn(row.driver);
        const ScriptRun run = runScript("open-then-writes 1", staged.programPath());
        EXPECT_EQ(std::string(FATAL_BOX) + boxFor(row, staged, "giveio") + "\nZorik_Open(1)=0\n", run.output);
        EXPECT_EQ(openThenWriteTable(1, false), run.steps);
        expectNoPortCalls(row, standIn.lines());
    }
}

// Only the file beside ZorikApi.dll is ever loaded: a stand-in in the
// current directory or on PATH would run inside the caller, so it is never
// looked at, and without one beside the library the box is today's.
TEST_F(InpOutOnWinXpWithoutGiveio, NeverLoadsOneFromTheCurrentFolderOrPath)
{
    expectNeverLoadedFromElsewhere("open-then-writes 1", [](const ScriptRun& run, const StagedLibrary&) {
        EXPECT_EQ(std::string(FATAL_BOX) + "Couldn't access giveio device\nZorik_Open(1)=0\n", run.output);
        EXPECT_EQ(openThenWriteTable(1, false), run.steps);
    });
}

// giveio where it answers: inpout32.dll beside the library is never loaded
// unless Access=inpout32 asks for it.
class InpOutOnWinXpWithGiveio : public PortEmulatorOnWinXpWithGiveio {};

TEST_F(InpOutOnWinXpWithGiveio, IsLoadedOnlyWhenAccessAsksForIt)
{
    const struct {
        const char* ini;
        bool loaded;
    } rows[] = {{"", false}, {"[Port]\r\nAccess=auto\r\n", false}, {"[Port]\r\nAccess=giveio\r\n", false},
                {"[Port]\r\nAccess=inpout32\r\n", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ini);
        const StagedLibrary staged(SCRIPT, row.ini, besideTheLibrary());
        ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
        const StandInSwitches standIn;
        const ScriptRun run = runScript("test-cycle", staged.programPath());
        EXPECT_EQ(TEST_CYCLE_OUTPUT, run.output);
        EXPECT_EQ(testCycleSteps(), run.steps);
        const std::vector<std::string> log = standIn.lines();
        EXPECT_EQ(row.loaded, !log.empty()) << ::testing::PrintToString(log);
        EXPECT_EQ(row.loaded ? libraryCallsFor(run.steps) : std::vector<std::string>{}, portCallsIn(log));
    }
}

// ----------------------------------------- the x64 library, inpoutx64.dll
//
// This program and port_script built for x86-64, in a win64 prefix: the x64
// library has no port instructions of its own, so every byte the emulator
// sees is one the library handed to the stand-in inpoutx64.dll beside it.
// Its bytes are the 32-bit library's, row for row of the same tables.

class InpOutX64 : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(8u, sizeof(void*)) << "not the x64 build"; }
};

// The steps of `expected` with no port access at all: the x64 library
// without its way to the ports drops every byte.
std::vector<Step> withoutAccesses(std::vector<Step> expected)
{
    for (Step& step : expected)
        step.accesses.clear();
    return expected;
}

// As the 32-bit library on the NT family with its driver: the mode's forced
// bits, the reads, at 0x378 and at a card's base. The library is found at
// the first port byte, so writes and reads before any Zorik_Open reach the
// port too, mode 0 included.
TEST_F(InpOutX64, CarriesTheBytesOfThe32BitLibrary)
{
    const struct {
        const char* ini;
        std::uint16_t dataPort;
    } bases[] = {{"", DATA_PORT}, {"[Port]\r\nBase=0xD010\r\nAccess=inpout32\r\n", 0xD010}};
    for (const auto& base : bases) {
        SCOPED_TRACE(base.ini);
        const StagedLibrary staged(SCRIPT, base.ini, besideTheLibrary());
        ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
        const std::uint16_t statusPort = static_cast<std::uint16_t>(base.dataPort + 1);
        for (const int mode : {1, 0}) {
            SCOPED_TRACE(mode);
            const ScriptRun run = runThroughStandIn("open-then-writes " + std::to_string(mode), staged, statusPort);
            EXPECT_EQ("Zorik_Open(" + std::to_string(mode) + ")=1\n", run.output);
            EXPECT_EQ(openThenWriteTable(mode, mode == 1, base.dataPort), run.steps);
        }
        {
            // Asked at the first byte, and again by Zorik_Open.
            const ScriptRun run = runThroughStandIn("first-calls", staged, statusPort, 2);
            EXPECT_EQ("Zorik_Read(1)=1\nZorik_Open(1)=1\nZorik_Read(2)=1\n", run.output);
            const std::vector<Step> expected{
                {"Zorik_Write(0,0)", {out(0x06, base.dataPort)}}, {"Zorik_Read(1)", {in(0x00, base.dataPort)}},
                {"Zorik_Open(1)", {}},                            {"Zorik_Write(1,0)", {out(0xE4, base.dataPort)}},
                {"Zorik_Read(2)", {in(0x00, base.dataPort)}},
            };
            EXPECT_EQ(expected, run.steps);
        }
    }
    const StagedLibrary staged(SCRIPT, "", besideTheLibrary());
    for (const char* script : {"reads", "open-then-reads"}) {
        SCOPED_TRACE(script);
        const StandInSwitches standIn;
        const ScriptRun run = runScript(script, staged.programPath());
        expectAllChannelsReadThroughStatus(run, std::string(script) != "reads");
        EXPECT_EQ(libraryCallsFor(run.steps), portCallsIn(standIn.lines()));
    }
    const StandInSwitches standIn;
    const ScriptRun run = runScript("mode-sticks", staged.programPath());
    EXPECT_EQ(MODE_STICKS_OUTPUT, run.output);
    EXPECT_EQ(modeSticksSteps(), run.steps);
}

// Without the library or with its driver not open: one box from Zorik_Open
// saying what to put where, 0, and no byte anywhere; writes and reads
// before it show nothing (boxes come from Zorik_Open alone).
TEST_F(InpOutX64, WithoutItsWayToThePortOpenSaysWhatToDoAndNoByteMoves)
{
    const FailureRow rows[] = {
        {"not there", "", {}, "open",
         "inpoutx64.dll is not in \\: a 64-bit program reaches the port only through InpOut32. Put the 64-bit "
         "inpoutx64.dll of InpOut32 there, beside this x64 ZorikApi.dll, and start the program once as "
         "administrator",
         false},
        {"driver not open", "", besideTheLibrary(), "closed",
         "inpoutx64.dll in \\ cannot open its driver. Start the program once as administrator (right-click, Run "
         "as administrator): the driver is installed then, and later starts need no rights. If it still fails, "
         "Windows blocks the driver (for example Memory integrity, under Core isolation in Windows Security)",
         true},
        {"no DlPortWritePortUchar", "", besideTheLibrary("lacks_write"), "open",
         "\\inpoutx64.dll lacks the function DlPortWritePortUchar: it must be the 64-bit inpoutx64.dll of "
         "InpOut32",
         true},
        {"no IsInpOutDriverOpen", "", besideTheLibrary("lacks_driver_check"), "open",
         "\\inpoutx64.dll lacks the function IsInpOutDriverOpen: it must be the 64-bit inpoutx64.dll of InpOut32",
         true},
        {"no DLL at all", "", {{STANDIN_FILE, "", NOT_A_DLL}}, "open",
         "\\inpoutx64.dll cannot be loaded (Windows error 193): it must be the 64-bit inpoutx64.dll of InpOut32",
         false},
        {"Access=giveio: inpoutx64.dll left alone", "[Port]\r\nAccess=giveio\r\n", besideTheLibrary(), "open",
         "ZorikApi.ini: Access=giveio cannot be used by a 64-bit program, which reaches the port only through "
         "InpOut32's inpoutx64.dll (Access=auto or Access=inpout32)",
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const StagedLibrary staged(SCRIPT, row.ini, row.files);
        ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
        const std::string box = boxFor(row, staged, "Access=");
        for (const char* script : {"open-then-writes 1", "first-calls"}) {
            SCOPED_TRACE(script);
            const StandInSwitches standIn(row.driver);
            const ScriptRun run = runScript(script, staged.programPath());
            if (std::string(script) == "first-calls") {
                EXPECT_EQ("Zorik_Read(1)=0\n" + std::string(FATAL_BOX) + box + "\nZorik_Open(1)=0\nZorik_Read(2)=0\n",
                          run.output);
            } else {
                EXPECT_EQ(std::string(FATAL_BOX) + box + "\nZorik_Open(1)=0\n", run.output);
                EXPECT_EQ(withoutAccesses(openThenWriteTable(1, false)), run.steps);
            }
            for (const Step& step : run.steps)
                EXPECT_TRUE(step.accesses.empty()) << ::testing::PrintToString(step);
            expectNoPortCalls(row, standIn.lines());
        }
    }
}

// Only the file beside ZorikApi.dll is ever loaded, never one in the
// current directory or on PATH.
TEST_F(InpOutX64, NeverLoadsOneFromTheCurrentFolderOrPath)
{
    expectNeverLoadedFromElsewhere("first-calls", [](const ScriptRun& run, const StagedLibrary& staged) {
        EXPECT_NE(std::string::npos, run.output.find("inpoutx64.dll is not in " + staged.folder())) << run.output;
    });
}

// Visual Studio x64 callers (msvc_client/ for the Microsoft x64 ABI),
// bound through x64\ZorikApi.lib or at run time by name and by ordinal.
class InpOutX64MsvcClients : public InpOutX64 {};

TEST_F(InpOutX64MsvcClients, EveryBindingDrivesThePort)
{
    const std::vector<Step> expected = msvcClientSteps();
    for (const auto& row : MSVC_BINDINGS) {
        SCOPED_TRACE(row.program + std::string(" ") + row.arguments);
        const StagedLibrary staged(row.program, "", besideTheLibrary());
        ASSERT_FALSE(staged.programPath().empty()) << staged.problem();
        const StandInSwitches standIn;
        const ScriptRun run = runScript(row.arguments, staged.programPath());
        EXPECT_EQ("Zorik_Open(1)=1\nstatus 20: 1 0 1 0\n", run.output);
        EXPECT_EQ(expected, run.steps);
        EXPECT_EQ(libraryCallsFor(run.steps), portCallsIn(standIn.lines()));
    }
}

} // namespace
} // namespace zorik::wine
