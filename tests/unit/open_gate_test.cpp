#include "fake_platform.h"
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
