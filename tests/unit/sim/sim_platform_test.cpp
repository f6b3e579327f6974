#include "channel_registers.h"
#include "fake_platform.h"
#include "open_gate.h"
#include "recording_port.h"
#include "sim_settings.h"
#include "simulated_platform.h"

#include <gtest/gtest.h>

using zorik::ChannelRegisters;
using zorik::openPorts;
using zorik::sim::parseSimSettings;
using zorik::sim::SimulatedPlatform;
using zorik::testing::FakePlatform;
using zorik::testing::RecordingPort;

namespace {

bool giveioFor(const char* settings)
{
    auto parsed = parseSimSettings(settings);
    EXPECT_TRUE(parsed.settings.has_value()) << parsed.error;
    return parsed.settings ? parsed.settings->giveioPresent : false;
}

struct Gate {
    explicit Gate(const char* settings) : platform(system, giveioFor(settings))
    {
        system.giveioPresent = false; // no real driver: the model alone decides
    }

    FakePlatform system;
    SimulatedPlatform platform;
    RecordingPort port;
    ChannelRegisters registers{port};
};

} // namespace

TEST(SimulatedPlatform, SimulatedDriverOpensNtAndRecordsTheMode)
{
    Gate gate("stuck-on=1");
    EXPECT_EQ(openPorts(gate.platform, gate.registers, 1), 1);
    EXPECT_TRUE(gate.system.fatalErrors.empty());
    EXPECT_EQ(gate.system.probes, 0) << "the real device is never opened";
    EXPECT_EQ(gate.registers.openMode(), 1);
}

TEST(SimulatedPlatform, MissingDriverShowsTheRealBox)
{
    Gate gate("stuck-on=1,no-giveio");
    gate.registers.setOpenMode(4);
    EXPECT_EQ(openPorts(gate.platform, gate.registers, 1), 0);
    EXPECT_EQ(gate.system.fatalErrors, std::vector<std::string>{"Couldn't access giveio device"});
    EXPECT_EQ(gate.registers.openMode(), 4);
}

TEST(SimulatedPlatform, TheRealWindowsFamilyDecides)
{
    Gate nineX("no-giveio");
    nineX.system.id = zorik::PLATFORM_WIN32_WINDOWS;
    EXPECT_EQ(openPorts(nineX.platform, nineX.registers, 1), 1);
    EXPECT_TRUE(nineX.system.fatalErrors.empty());

    Gate unknown("");
    unknown.system.id = 0;
    EXPECT_EQ(openPorts(unknown.platform, unknown.registers, 1), 0);
    EXPECT_EQ(unknown.system.fatalErrors, std::vector<std::string>{"Windows version mismatch"});
}
