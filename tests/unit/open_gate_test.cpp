#include "fake_platform.h"
#include "fake_port_settings.h"
#include "open_gate.h"
#include "recording_port.h"

#include <gtest/gtest.h>

using zorik::ChannelRegisters;
using zorik::DATA_PORT;
using zorik::openPorts;
using zorik::testing::FakePlatform;
using zorik::testing::RecordingPort;

namespace {

struct Gate {
    RecordingPort port;
    ChannelRegisters registers{port};
    FakePlatform platform;
};

constexpr std::optional<std::uint32_t> NT = zorik::PLATFORM_WIN32_NT;
constexpr std::optional<std::uint32_t> NINE_X = zorik::PLATFORM_WIN32_WINDOWS;
const std::vector<std::string> NO_BOX;
const std::vector<std::string> GIVEIO_BOX{"Couldn't access giveio device"};
const std::vector<std::string> VERSION_BOX{"Windows version mismatch"};

struct OpenCase {
    const char* what;
    std::optional<std::uint32_t> family;
    bool giveioPresent;
    int modeBefore; // left by an earlier open
    int mode;
    int result;
    int probes;
    std::vector<std::string> boxes;
    int modeAfter;
    // Writes (channel, state) after opening, and the data bytes they send:
    // the mode recorded decides them.
    std::vector<std::pair<int, int>> writes;
    std::vector<std::uint8_t> dataBytes;
};

} // namespace

TEST(OpenGate, EachFamilyOpensAsItsRulesSay)
{
    const OpenCase cases[] = {
        {"9x opens without checking or recording the mode", NINE_X, false, 0, 1, 1, 0, NO_BOX, 0,
         {{0, 0}}, {0x06}},
        {"NT with the driver records the mode", NT, true, 0, 1, 1, 1, NO_BOX, 1, {{0, 0}, {1, 1}},
         {0xE6, 0xE6}},
        {"every successful NT open overwrites the mode", NT, true, 1, 5, 1, 1, NO_BOX, 5, {}, {}},
        {"NT without the driver tells the operator and keeps the mode", NT, false, 7, 1, 0, 1,
         GIVEIO_BOX, 7, {}, {}},
        {"family 0 is a version mismatch", 0, true, 0, 1, 0, 0, VERSION_BOX, 0, {}, {}},
        {"family 3 is a version mismatch", 3, true, 0, 1, 0, 0, VERSION_BOX, 0, {}, {}},
        {"no family is a version mismatch", std::nullopt, true, 0, 1, 0, 0, VERSION_BOX, 0, {}, {}},
        {"family 0xFFFFFFFF is a version mismatch", 0xFFFFFFFF, true, 0, 1, 0, 0, VERSION_BOX, 0, {},
         {}},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.what);
        Gate gate;
        gate.platform.id = c.family;
        gate.platform.giveioPresent = c.giveioPresent;
        gate.registers.setOpenMode(c.modeBefore);
        EXPECT_EQ(openPorts(gate.platform, gate.registers, c.mode), c.result);
        EXPECT_EQ(gate.platform.probes, c.probes);
        EXPECT_EQ(gate.platform.fatalErrors, c.boxes);
        EXPECT_EQ(gate.registers.openMode(), c.modeAfter);
        EXPECT_TRUE(gate.port.accesses.empty()) << "opening touches no port";
        for (const auto& [channel, state] : c.writes)
            gate.registers.write(channel, state);
        EXPECT_EQ(gate.port.bytesWrittenTo(DATA_PORT), c.dataBytes);
    }
}

TEST(OpenGate, TheDevicePathHoldsNoEscapes)
{
    EXPECT_STREQ(zorik::GIVEIO_DEVICE_PATH, "\\\\.\\giveio");
    EXPECT_EQ(sizeof zorik::GIVEIO_DEVICE_PATH - 1, 10u);
}

namespace {

using zorik::AccessSetting;
using zorik::InpOutState;
using zorik::testing::FakePortSettings;

enum class Route { Nowhere, OwnPort, InpOut };

struct RouteCase {
    const char* what;
    std::optional<std::string> access; // ZorikApi.ini's Access=, nothing: no key
    std::optional<std::uint32_t> family;
    bool giveioPresent;
    InpOutState inpOut;
    bool wow64;
    int result;
    int probes;
    int inpOutOpens;
    std::vector<std::string> boxes;
    Route route; // where the bytes of a write and a read go after opening
};

const std::string SIXTY_FOUR_BIT_BOX =
    "This is 64-bit Windows, which cannot load the giveio driver: put the 32-bit inpout32.dll of InpOut32 in "
    "C:\\Zorik\\ (beside ZorikApi.dll) and start Zorik once as administrator";
const std::string NOT_THERE_BOX = "inpout32.dll is not in C:\\Zorik\\ (ZorikApi.ini: Access=inpout32): put the "
                                  "32-bit inpout32.dll of InpOut32 there, beside ZorikApi.dll";
const std::string NOT_LOADABLE_BOX = "C:\\Zorik\\inpout32.dll cannot be loaded (Windows error 193): it must be the "
                                     "32-bit inpout32.dll of InpOut32, also on 64-bit Windows";
const std::string LACKS_BOX = "C:\\Zorik\\inpout32.dll lacks the function DlPortWritePortUchar: it must be the "
                              "32-bit inpout32.dll of InpOut32, also on 64-bit Windows";
const std::string DRIVER_BOX =
    "inpout32.dll in C:\\Zorik\\ cannot open its driver. Start Zorik once as administrator (right-click, Run as "
    "administrator): the driver is installed then, and later starts need no rights. If it still fails, Windows "
    "blocks the driver (for example Memory integrity, under Core isolation in Windows Security)";

} // namespace

// The NT family's two ways to the ports: giveio where it answers, else
// inpout32.dll beside the library, as Access= allows; 9x needs neither.
TEST(OpenGate, NtTakesGiveioThenInpOut32AsAccessAllows)
{
    const std::string GIVEIO = "Couldn't access giveio device";
    const auto R = InpOutState::Ready;
    const auto M = InpOutState::Missing;
    const RouteCase cases[] = {
        {"auto: giveio answers, inpout32.dll never loaded", std::nullopt, NT, true, R, true, 1, 1, 0, {},
         Route::OwnPort},
        {"auto: no giveio, inpout32.dll's driver open", std::nullopt, NT, false, R, true, 1, 1, 1, {}, Route::InpOut},
        {"auto written out, any case, blanks", " AUTO ", NT, false, R, false, 1, 1, 1, {}, Route::InpOut},
        {"auto: neither on 32-bit Windows is today's box", std::nullopt, NT, false, M, false, 0, 1, 1, {GIVEIO},
         Route::Nowhere},
        {"auto: neither on 64-bit Windows says what to do", "auto", NT, false, M, true, 0, 1, 1,
         {SIXTY_FOUR_BIT_BOX}, Route::Nowhere},
        {"auto: not a DLL this process loads", std::nullopt, NT, false, InpOutState::NotLoadable, true, 0, 1, 1,
         {NOT_LOADABLE_BOX}, Route::Nowhere},
        {"auto: a function missing", std::nullopt, NT, false, InpOutState::LacksFunction, false, 0, 1, 1,
         {LACKS_BOX}, Route::Nowhere},
        {"auto: driver not open", std::nullopt, NT, false, InpOutState::DriverNotOpen, true, 0, 1, 1, {DRIVER_BOX},
         Route::Nowhere},
        {"giveio: answers", "giveio", NT, true, R, false, 1, 1, 0, {}, Route::OwnPort},
        {"giveio: no driver, inpout32.dll never loaded", "GiveIO", NT, false, R, true, 0, 1, 0, {GIVEIO},
         Route::Nowhere},
        {"inpout32: even where giveio answers", "inpout32", NT, true, R, false, 1, 0, 1, {}, Route::InpOut},
        {"inpout32: not there on 32-bit Windows", "InpOut32", NT, true, M, false, 0, 0, 1, {NOT_THERE_BOX},
         Route::Nowhere},
        {"inpout32: not there on 64-bit Windows", "inpout32", NT, false, M, true, 0, 0, 1, {SIXTY_FOUR_BIT_BOX},
         Route::Nowhere},
        {"inpout32: driver not open", "inpout32", NT, true, InpOutState::DriverNotOpen, false, 0, 0, 1,
         {DRIVER_BOX}, Route::Nowhere},
        {"9x opens the ports itself, whatever Access says", "inpout32", NINE_X, false, R, false, 1, 0, 0, {},
         Route::OwnPort},
    };
    for (const RouteCase& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingPort port;
        FakePortSettings settings;
        settings.access = c.access;
        ChannelRegisters registers(port, settings);
        FakePlatform platform;
        platform.id = c.family;
        platform.giveioPresent = c.giveioPresent;
        platform.inpOut.state = c.inpOut;
        platform.inpOut.loadError = 193;
        platform.inpOut.missingFunction = "DlPortWritePortUchar";
        platform.wow64 = c.wow64;

        EXPECT_EQ(openPorts(platform, registers, 1), c.result);
        EXPECT_EQ(platform.probes, c.probes);
        EXPECT_EQ(platform.inpOutOpens, c.inpOutOpens);
        EXPECT_EQ(platform.fatalErrors, c.boxes);
        EXPECT_TRUE(port.accesses.empty() && platform.inpOutPort.accesses.empty()) << "opening touches no port";

        platform.inpOutPort.status = 0x20;
        port.status = 0x20;
        registers.write(0, 0);
        const int input1 = registers.read(1);
        // The bytes are the same whichever way they go: the mode recorded
        // (9x records none) forces bits 5 to 7.
        const bool forced = c.result == 1 && c.family == NT;
        const std::vector<zorik::testing::PortAccess> bytes{{true, DATA_PORT, std::uint8_t(forced ? 0xE6 : 0x06)},
                                                            {false, DATA_PORT + 1, 0x20}};
        const std::vector<zorik::testing::PortAccess> none;
        EXPECT_EQ(platform.inpOutPort.accesses, c.route == Route::InpOut ? bytes : none);
        EXPECT_EQ(port.accesses, c.route == Route::InpOut ? none : bytes) << "the processor's own port otherwise";
        EXPECT_EQ(input1, 0);
    }
}

TEST(OpenGate, InpOutBoxesNameTheLibrarysFolderWhenItsPathIsUnknown)
{
    RecordingPort port;
    ChannelRegisters registers(port);
    FakePlatform platform;
    platform.giveioPresent = false;
    platform.wow64 = true;
    platform.inpOut.path = "";
    platform.inpOut.folder = "";
    EXPECT_EQ(openPorts(platform, registers, 1), 0);
    EXPECT_EQ(platform.fatalErrors,
              std::vector<std::string>{"This is 64-bit Windows, which cannot load the giveio driver: put the 32-bit "
                                       "inpout32.dll of InpOut32 in the folder of ZorikApi.dll (beside "
                                       "ZorikApi.dll) and start Zorik once as administrator"});
}
