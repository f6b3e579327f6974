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

std::vector<Step> openThenWriteTable(int mode, bool forced)
{
    std::vector<Step> steps{{"Zorik_Open(" + std::to_string(mode) + ")", {}}};
    for (const WriteRow& row : WRITE_TABLE) {
        const auto& byte = forced ? row.mode1 : row.mode0;
        steps.push_back({row.call, byte ? std::vector<PortAccess>{out(*byte)} : std::vector<PortAccess>{}});
    }
    return steps;
}

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

void expectAllChannelsReadThroughStatus(const ScriptRun& run)
{
    std::vector<Step> steps;
    std::string output;
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

// A bad value, even an empty one, or a file that Windows would not read
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
    EXPECT_EQ("Zorik_Open(1)=1\nZorik_Open(0)=1\n", run.output);
    const std::vector<Step> expected{
        {"Zorik_Open(1)", {}},
        {"Zorik_Write(0,0)", {out(0xE6)}},
        {"Zorik_Open(0)", {}},
        {"Zorik_Write(0,1)", {out(0xE7)}},
        {"Zorik_Write(1,0)", {out(0xE5)}},
    };
    EXPECT_EQ(expected, run.steps);
}

TEST_F(PortEmulatorOnWinXpWithGiveio, ReadsDoNotDependOnTheMode)
{
    expectAllChannelsReadThroughStatus(runScript("reads"));
}

// Programs built for the Microsoft ABI without a C runtime (msvc_client/),
// bound through ZorikApi.lib at load time or through GetProcAddress by name
// and by ordinal: each reaches the three functions with its arguments.
class MsvcClientsOnWinXpWithGiveio : public PortEmulatorOnWinXpWithGiveio {};

TEST_F(MsvcClientsOnWinXpWithGiveio, EveryBindingDrivesThePort)
{
    const struct {
        const char* program;
        const char* arguments;
    } rows[] = {{"zorik_msvc_linked.exe", ""}, {"zorik_msvc_loading.exe", "name"}, {"zorik_msvc_loading.exe", "ordinal"}};
    std::vector<Step> expected = openThenWriteTable(1, true);
    for (int channel = 0; channel < 4; ++channel)
        expected.push_back({"Zorik_Read(" + std::to_string(channel) + ")",
                            channel < 3 ? std::vector<PortAccess>{in(0x20)} : std::vector<PortAccess>{}});
    for (const auto& row : rows) {
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

} // namespace
} // namespace zorik::wine
