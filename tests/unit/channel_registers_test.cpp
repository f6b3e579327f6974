#include "channel_registers.h"
#include "recording_port.h"

#include <gtest/gtest.h>

#include "test_thread.h"

using zorik::ChannelRegisters;
using zorik::DATA_PORT;
using zorik::STATUS_PORT;
using zorik::testing::RecordingPort;

namespace {

struct WriteStep {
    int channel;
    int state;
};

// The documented call sequence, starting from the fresh latch 0x07.
const WriteStep kSequence[] = {{0, 0}, {2, 1}, {1, 0}, {1, 1}, {1, 2}, {3, 1}};

std::vector<std::uint8_t> bytesForSequence(int mode)
{
    RecordingPort port;
    ChannelRegisters registers(port);
    registers.setOpenMode(mode);
    for (const auto& step : kSequence)
        registers.write(step.channel, step.state);
    return port.bytesWrittenTo(DATA_PORT);
}

} // namespace

TEST(ChannelWrite, SequenceInMode0WritesTheDocumentedBytes)
{
    EXPECT_EQ(bytesForSequence(0), (std::vector<std::uint8_t>{0x06, 0x06, 0x04, 0x06, 0x04}));
}

TEST(ChannelWrite, SequenceInMode1ForcesBits5To7)
{
    EXPECT_EQ(bytesForSequence(1), (std::vector<std::uint8_t>{0xE6, 0xE6, 0xE4, 0xE6, 0xE4}));
}

TEST(ChannelWrite, OnlyMode1ForcesBits)
{
    for (int mode : {2, -1, 0x7FFFFFFF}) {
        RecordingPort port;
        ChannelRegisters registers(port);
        registers.setOpenMode(mode);
        registers.write(0, 0);
        EXPECT_EQ(port.bytesWrittenTo(DATA_PORT), std::vector<std::uint8_t>{0x06}) << "mode " << mode;
    }
}

TEST(ChannelWrite, FirstWriteDrivesTheOtherChannelsOn)
{
    RecordingPort port;
    ChannelRegisters registers(port);
    EXPECT_EQ(registers.outputLatch(), 0x07u);
    EXPECT_TRUE(port.accesses.empty()) << "nothing is written before the first call";
    registers.write(0, 0);
    EXPECT_EQ(port.accesses, (std::vector<zorik::testing::PortAccess>{{true, DATA_PORT, 0x06}}));
}

TEST(ChannelWrite, EveryStateButExactlyOneSwitchesOff)
{
    for (int state : {0, 2, -1, 0x100, 0x7FFFFFFF}) {
        RecordingPort port;
        ChannelRegisters registers(port);
        registers.write(1, state);
        EXPECT_EQ(registers.outputLatch(), 0x05u) << "state " << state;
    }
}

TEST(ChannelWrite, ChannelsOutsideZeroToTwoChangeNothing)
{
    for (int channel : {3, 7, 31, 32, 1000, -1, -2, -32, INT32_MIN}) {
        RecordingPort port;
        ChannelRegisters registers(port);
        registers.write(channel, 1);
        registers.write(channel, 0);
        EXPECT_TRUE(port.accesses.empty()) << "channel " << channel;
        EXPECT_EQ(registers.outputLatch(), 0x07u) << "channel " << channel;
    }
}

TEST(ChannelWrite, ForcedBitsOutliveTheMode)
{
    RecordingPort port;
    ChannelRegisters registers(port);
    registers.setOpenMode(1);
    registers.write(2, 0);
    registers.setOpenMode(0);
    registers.write(2, 1);
    registers.write(0, 0);
    EXPECT_EQ(port.bytesWrittenTo(DATA_PORT), (std::vector<std::uint8_t>{0xE3, 0xE7, 0xE6}));
    EXPECT_EQ(registers.outputLatch(), 0xE6u);
}

TEST(ChannelRead, DecodesTheStatusBits)
{
    struct Row {
        std::uint8_t status;
        int expected[4];
    };
    const Row rows[] = {
        {0x00, {1, 1, 1, 0}},
        {0x20, {1, 0, 1, 0}},
        {0x78, {0, 0, 0, 0}},
        {0x8F, {1, 1, 1, 0}}, // only bits 4 to 6 are inputs
        {0x50, {0, 1, 0, 0}},
    };
    for (const auto& row : rows) {
        RecordingPort port;
        port.status = row.status;
        ChannelRegisters registers(port);
        for (int channel = 0; channel < 4; ++channel)
            EXPECT_EQ(registers.read(channel), row.expected[channel])
                << "status 0x" << std::hex << int(row.status) << " channel " << channel;
    }
}

TEST(ChannelRead, ChannelsOutsideZeroToTwoReadZeroWithoutTouchingThePort)
{
    for (int channel : {3, 4, 31, 32, -1, -4, INT32_MIN}) {
        RecordingPort port;
        ChannelRegisters registers(port);
        EXPECT_EQ(registers.read(channel), 0) << "channel " << channel;
        EXPECT_TRUE(port.accesses.empty()) << "channel " << channel;
    }
}

TEST(ChannelRead, ReadsOnlyTheStatusPortAndNeverWrites)
{
    RecordingPort port;
    ChannelRegisters registers(port);
    registers.read(0);
    registers.read(2);
    EXPECT_EQ(port.accesses, (std::vector<zorik::testing::PortAccess>{{false, STATUS_PORT, 0}, {false, STATUS_PORT, 0}}));
    EXPECT_EQ(registers.outputLatch(), 0x07u);
}

// Two threads toggling different channels must never undo each other's bit:
// each thread checks, after each of its writes, that the other channel's
// final state is intact once both are done.
TEST(ChannelWrite, ConcurrentWritesToDifferentChannelsLoseNoBit)
{
    RecordingPort port;
    ChannelRegisters registers(port);
    constexpr int kRounds = 20000;
    auto hammer = [&](int channel) {
        for (int i = 0; i < kRounds; ++i)
            registers.write(channel, i % 2 == 0 ? 1 : 0);
        registers.write(channel, 1); // every thread leaves its channel on
    };
    registers.write(2, 0);
    zorik::test::TestThread first([&] { hammer(0); });
    zorik::test::TestThread second([&] { hammer(1); });
    first.join();
    second.join();
    EXPECT_EQ(registers.outputLatch(), 0x03u);
    EXPECT_EQ(port.bytesWrittenTo(DATA_PORT).back(), 0x03);
    EXPECT_EQ(port.bytesWrittenTo(DATA_PORT).size(), 2u * (kRounds + 1) + 1);
}
