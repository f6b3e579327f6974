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

} // namespace

TEST(OpenGate, NineXFamilyOpensWithoutCheckingOrRecordingTheMode)
{
    Gate gate;
    gate.platform.id = zorik::PLATFORM_WIN32_WINDOWS;
    gate.platform.giveioPresent = false;
    EXPECT_EQ(openPorts(gate.platform, gate.registers, 1), 1);
    EXPECT_EQ(gate.platform.probes, 0);
    EXPECT_TRUE(gate.platform.fatalErrors.empty());
    gate.registers.write(0, 0);
    EXPECT_EQ(gate.port.bytesWrittenTo(DATA_PORT), std::vector<std::uint8_t>{0x06});
}

TEST(OpenGate, NtWithTheDriverRecordsTheMode)
{
    Gate gate;
    EXPECT_EQ(openPorts(gate.platform, gate.registers, 1), 1);
    EXPECT_EQ(gate.platform.probes, 1);
    EXPECT_TRUE(gate.platform.fatalErrors.empty());
    gate.registers.write(0, 0);
    gate.registers.write(1, 1);
    EXPECT_EQ(gate.port.bytesWrittenTo(DATA_PORT), (std::vector<std::uint8_t>{0xE6, 0xE6}));
}

TEST(OpenGate, EverySuccessfulNtOpenOverwritesTheMode)
{
    Gate gate;
    openPorts(gate.platform, gate.registers, 1);
    EXPECT_EQ(gate.registers.openMode(), 1);
    openPorts(gate.platform, gate.registers, 5);
    EXPECT_EQ(gate.registers.openMode(), 5);
}

TEST(OpenGate, NtWithoutTheDriverTellsTheOperatorAndKeepsTheMode)
{
    Gate gate;
    gate.registers.setOpenMode(7);
    gate.platform.giveioPresent = false;
    EXPECT_EQ(openPorts(gate.platform, gate.registers, 1), 0);
    EXPECT_EQ(gate.platform.fatalErrors, std::vector<std::string>{"Couldn't access giveio device"});
    EXPECT_EQ(gate.registers.openMode(), 7);
    EXPECT_TRUE(gate.port.accesses.empty());
}

TEST(OpenGate, OtherFamiliesAreAVersionMismatch)
{
    for (std::optional<std::uint32_t> id : {std::optional<std::uint32_t>(0), std::optional<std::uint32_t>(3),
                                            std::optional<std::uint32_t>(), std::optional<std::uint32_t>(0xFFFFFFFF)}) {
        Gate gate;
        gate.platform.id = id;
        EXPECT_EQ(openPorts(gate.platform, gate.registers, 1), 0);
        EXPECT_EQ(gate.platform.fatalErrors, std::vector<std::string>{"Windows version mismatch"});
        EXPECT_EQ(gate.platform.probes, 0);
        EXPECT_EQ(gate.registers.openMode(), 0);
    }
}

TEST(OpenGate, TheDevicePathHoldsNoEscapes)
{
    EXPECT_STREQ(zorik::GIVEIO_DEVICE_PATH, "\\\\.\\giveio");
    EXPECT_EQ(sizeof zorik::GIVEIO_DEVICE_PATH - 1, 10u);
}
