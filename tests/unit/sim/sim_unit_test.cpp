#include "channel_registers.h"
#include "fake_clock.h"
#include "fake_port_settings.h"
#include "placed_unit_settings.h"
#include "sim_settings.h"
#include "simulated_unit.h"
#include "test_thread.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using zorik::ChannelRegisters;
using zorik::DATA_PORT;
using zorik::STATUS_PORT;
using zorik::sim::parseSimSettings;
using zorik::sim::SimSettings;
using zorik::sim::SimulatedUnit;
using zorik::sim::testing::FakeClock;

namespace {

SimSettings settingsFor(const std::string& text)
{
    auto parsed = parseSimSettings(text);
    EXPECT_TRUE(parsed.settings.has_value()) << parsed.error;
    return parsed.settings.value_or(SimSettings{});
}

// The DLL's own wiring: the channel logic on top of the model.
struct Rig {
    explicit Rig(const std::string& settings) : unit(settingsFor(settings), clock) {}

    void writePattern(int pattern)
    {
        for (int c = 0; c < 3; ++c)
            registers.write(c, (pattern >> c) & 1);
    }
    int readPattern()
    {
        int pattern = 0;
        for (int c = 0; c < 3; ++c)
            pattern |= registers.read(c) << c;
        return pattern;
    }

    FakeClock clock;
    SimulatedUnit unit;
    ChannelRegisters registers{unit};
};

// Input c of the pattern taken from output `from[c]`.
int routed(int pattern, const int (&from)[3])
{
    int result = 0;
    for (int c = 0; c < 3; ++c)
        result |= ((pattern >> from[c]) & 1) << c;
    return result;
}

} // namespace

// What each setting returns on the inputs for every pattern written, and,
// where the whole status byte is known, that byte.
TEST(SimulatedUnit, EachSettingReturnsItsPatternOnTheInputs)
{
    const struct {
        const char* settings;
        int (*inputs)(int pattern);
        int (*status)(int pattern); // nullptr: not checked
    } cases[] = {
        // An output that is on pulls its input line low; the lines the unit
        // does not drive read as on an empty port.
        {"", [](int p) { return p; },
         [](int p) { return zorik::sim::UNDRIVEN_STATUS_BITS | (~p & 7) << 4; }},
        // An absent unit leaves every input floating high.
        {"absent", [](int) { return 0; }, [](int) { return int{zorik::sim::ABSENT_UNIT_STATUS}; }},
        // Stuck inputs ignore their outputs and spare the others.
        {"stuck-on=1,stuck-off=2", [](int p) { return (p & 1) | 2; }, nullptr},
        // Crossed inputs follow each other's outputs.
        {"cross=0:2", [](int p) { return routed(p, {2, 1, 0}); }, nullptr},
        {"cross=1:0", [](int p) { return routed(p, {1, 0, 2}); }, nullptr},
        // An inverted input shows the opposite of its output.
        {"invert=1", [](int p) { return p ^ 2; }, nullptr},
        // Inversion comes after crossing and before the stuck level.
        {"cross=0:2,invert=0", [](int p) { return routed(p, {2, 1, 0}) ^ 1; }, nullptr},
        {"invert=2,stuck-off=2", [](int p) { return p & 3; }, nullptr},
        {"invert=0,stuck-on=0", [](int p) { return p | 1; }, nullptr},
        // A single input on the opposite of another output, the others spared;
        // inverted once more, on that output itself.
        {"cross-invert=1:0", [](int p) { return (p & 5) | (~p & 1) << 1; }, nullptr},
        {"cross-invert=2:1,invert=2", [](int p) { return (p & 3) | (p & 2) << 1; }, nullptr},
        // Two lines shorted: the input reads both, as AND or as OR.
        {"bridge=0:1:2:and", [](int p) { return (p & 6) | ((p >> 1) & (p >> 2) & 1); }, nullptr},
        {"bridge=2:2:0:or", [](int p) { return (p & 3) | ((p | p << 2) & 4); }, nullptr},
    };
    for (const auto& setting : cases) {
        Rig rig(setting.settings);
        for (int pattern = 0; pattern < 8; ++pattern) {
            SCOPED_TRACE(std::string(setting.settings) + ", pattern " + std::to_string(pattern));
            rig.writePattern(pattern);
            EXPECT_EQ(rig.readPattern(), setting.inputs(pattern));
            if (setting.status) {
                EXPECT_EQ(rig.unit.readByte(STATUS_PORT), setting.status(pattern));
            }
        }
    }
}

TEST(SimulatedUnit, HealthyUnitIgnoresTheBitsForcedByModeOne)
{
    Rig rig("healthy");
    rig.registers.setOpenMode(1);
    for (int pattern = 7; pattern >= 0; --pattern) {
        rig.writePattern(pattern);
        EXPECT_EQ(rig.readPattern(), pattern) << pattern;
    }
    EXPECT_EQ(rig.registers.outputLatch() & 0xE0, 0xE0u);
}

TEST(SimulatedUnit, EveryInputIsOffBeforeTheFirstWrite)
{
    Rig rig("");
    EXPECT_EQ(rig.readPattern(), 0);
    EXPECT_EQ(rig.unit.readByte(STATUS_PORT), 0x7F);
}

TEST(SimulatedUnit, OnlyTheDataAndStatusRegistersMeanAnything)
{
    Rig rig("");
    rig.writePattern(5);
    for (std::uint16_t port : {std::uint16_t{DATA_PORT}, std::uint16_t{0x37A}, std::uint16_t{0x278},
                               std::uint16_t{0x80}})
        EXPECT_EQ(rig.unit.readByte(port), 0xFF) << port;
    for (std::uint16_t port : {std::uint16_t{STATUS_PORT}, std::uint16_t{0x37A}, std::uint16_t{0x278}})
        rig.unit.writeByte(port, 0x02);
    EXPECT_EQ(rig.readPattern(), 5);
}

// As the simulated DLL wires it: the unit answers where ZorikApi.ini puts
// the port, and nowhere else.
TEST(SimulatedUnit, SitsWhereTheLibrarysSettingPutsThePort)
{
    const struct {
        const char* setting;
        std::uint16_t dataPort;
        int patternRead; // after writing 5
    } rows[] = {{"0xD010", 0xD010, 5}, {" 888 ", 0x378, 5}, {"0x379", 0x378, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.setting);
        FakeClock clock;
        SimulatedUnit unit(settingsFor(""), clock);
        zorik::testing::FakePortSettings file(row.setting);
        zorik::sim::PlacedUnitSettings placed(file, unit);
        ChannelRegisters registers(unit, placed);
        for (int c = 0; c < 3; ++c)
            registers.write(c, (5 >> c) & 1);
        EXPECT_EQ(registers.read(0) | registers.read(1) << 1 | registers.read(2) << 2, row.patternRead);
        EXPECT_EQ(file.reads, 1);
        // Outputs 0 and 2 on pull their inputs low, if the unit saw the write.
        const int status = row.patternRead == 5 ? 0x2F : 0x7F;
        EXPECT_EQ(unit.readByte(row.dataPort + 1), status);
        if (row.dataPort != DATA_PORT) {
            EXPECT_EQ(unit.readByte(STATUS_PORT), 0xFF) << "still answers at 0x379";
        }
    }
}

namespace {

// Reads input `channel` `reads` times with its output on and counts the
// wrong answers; also checks that the other inputs never err.
int wrongReads(Rig& rig, int channel, int reads)
{
    rig.writePattern(7);
    int wrong = 0;
    for (int i = 0; i < reads; ++i) {
        for (int c = 0; c < 3; ++c) {
            const int level = rig.registers.read(c);
            if (c == channel)
                wrong += level != 1;
            else
                EXPECT_EQ(level, 1) << "input " << c << " caught the fault";
        }
    }
    return wrong;
}

std::vector<int> readSequence(const std::string& settings, int reads)
{
    Rig rig(settings);
    rig.writePattern(2);
    std::vector<int> levels;
    for (int i = 0; i < reads; ++i)
        levels.push_back(rig.registers.read(1));
    return levels;
}

} // namespace

TEST(SimulatedUnit, IntermittentInputErrsAtItsRate)
{
    Rig never("flaky=2:0%");
    EXPECT_EQ(wrongReads(never, 2, 5000), 0);
    Rig always("flaky=2:100%");
    EXPECT_EQ(wrongReads(always, 2, 5000), 5000);
    // Flaky comes after inversion: always wrong flips an inverted input back.
    Rig invertedAlways("invert=2,flaky=2:100%");
    EXPECT_EQ(wrongReads(invertedAlways, 2, 5000), 0);

    constexpr int READS = 40000;
    Rig five("flaky=2:5%,seed=12345");
    const int wrong = wrongReads(five, 2, READS);
    // 2000 expected, standard deviation about 44.
    EXPECT_GT(wrong, READS * 45 / 1000);
    EXPECT_LT(wrong, READS * 55 / 1000);
}

TEST(SimulatedUnit, IntermittentErrorsRepeatForOneSeedOnly)
{
    const auto first = readSequence("flaky=1:30%,seed=99", 500);
    EXPECT_EQ(readSequence("flaky=1:30%,seed=99", 500), first);
    EXPECT_NE(readSequence("flaky=1:30%,seed=100", 500), first);
    EXPECT_EQ(readSequence("flaky=1:30%", 500), readSequence("flaky=1:30%,seed=1", 500));
}

TEST(SimulatedUnit, SlowInputShowsItsOutputOnlyAfterTheDelay)
{
    Rig rig("slow=1:25");
    rig.writePattern(7);
    EXPECT_EQ(rig.readPattern(), 5) << "inputs 0 and 2 follow at once";
    rig.clock.advance(24);
    EXPECT_EQ(rig.registers.read(1), 0);
    rig.clock.advance(1);
    EXPECT_EQ(rig.registers.read(1), 1);

    rig.registers.write(1, 0);
    rig.clock.advance(10);
    EXPECT_EQ(rig.registers.read(1), 1) << "switching off is delayed too";
    rig.clock.advance(15);
    EXPECT_EQ(rig.registers.read(1), 0);
}

TEST(SimulatedUnit, SlowInputReplaysEveryLevelInTurn)
{
    Rig rig("slow=0:30");
    rig.registers.write(0, 1); // t = 0
    rig.clock.advance(10);
    rig.registers.write(0, 0); // t = 10
    rig.clock.advance(10);
    rig.registers.write(0, 1); // t = 20
    // Each read sees the level output 0 had 30 ms earlier.
    const int at[] = {20, 29, 30, 39, 40, 49, 50, 1000};
    const int expected[] = {0, 0, 1, 1, 0, 0, 1, 1};
    for (int i = 0; i < 8; ++i) {
        const int step = i == 0 ? 0 : at[i] - at[i - 1];
        rig.clock.advance(step);
        EXPECT_EQ(rig.registers.read(0), expected[i]) << "t = " << at[i];
    }
}

TEST(SimulatedUnit, WritesWithinOneMillisecondLeaveTheLastLevel)
{
    Rig rig("slow=2:5");
    rig.registers.write(2, 1);
    rig.registers.write(2, 0);
    rig.registers.write(2, 1);
    rig.clock.advance(5);
    EXPECT_EQ(rig.registers.read(2), 1);
}

TEST(SimulatedUnit, SlowCrossedInputFollowsTheOtherOutputLate)
{
    Rig rig("cross=0:1,slow=0:20");
    rig.writePattern(2);
    EXPECT_EQ(rig.readPattern(), 0) << "nothing has arrived on input 0 yet";
    rig.clock.advance(20);
    EXPECT_EQ(rig.readPattern(), 1);
}

TEST(SimulatedUnit, SlowInvertedInputShowsTheOppositeOfTheOldLevel)
{
    Rig rig("slow=1:25,invert=1");
    rig.writePattern(2);
    EXPECT_EQ(rig.registers.read(1), 1) << "the old level, off, inverted";
    rig.clock.advance(25);
    EXPECT_EQ(rig.registers.read(1), 0);
}

// A weak pull-up: the input turns on late and off at once; slow-fall the
// other way round.
TEST(SimulatedUnit, SlowEdgeDelaysOnlyItsOwnEdge)
{
    Rig rise("slow-rise=1:25");
    rise.writePattern(2);
    EXPECT_EQ(rise.registers.read(1), 0);
    rise.clock.advance(24);
    EXPECT_EQ(rise.registers.read(1), 0);
    rise.clock.advance(1);
    EXPECT_EQ(rise.registers.read(1), 1);
    rise.registers.write(1, 0);
    EXPECT_EQ(rise.registers.read(1), 0) << "off at once";

    Rig fall("slow-fall=0:25");
    fall.writePattern(1);
    EXPECT_EQ(fall.registers.read(0), 1) << "on at once";
    fall.clock.advance(30);
    fall.registers.write(0, 0);
    fall.clock.advance(24);
    EXPECT_EQ(fall.registers.read(0), 1);
    fall.clock.advance(1);
    EXPECT_EQ(fall.registers.read(0), 0);
}

// A glitch flips the input on the status read it names, and only there,
// even a stuck one.
TEST(SimulatedUnit, GlitchFlipsTheNamedReadOnly)
{
    Rig rig("glitch=1:3,glitch=1:5,stuck-off=2,glitch=2:4");
    rig.writePattern(7);
    const int expected1[] = {1, 1, 0, 1, 0, 1};
    const int expected2[] = {0, 0, 0, 1, 0, 0};
    for (int read = 1; read <= 6; ++read) {
        const std::uint8_t status = rig.unit.readByte(STATUS_PORT);
        // Status bit c + 4 is low when input c is on.
        EXPECT_EQ((status >> 5 & 1) == 0, expected1[read - 1] == 1) << "read " << read;
        EXPECT_EQ((status >> 6 & 1) == 0, expected2[read - 1] == 1) << "read " << read;
    }
}

// The test program's UI thread and worker share the DLL; the model must
// hold up under them without its caller's lock.
TEST(SimulatedUnit, SharedByTwoThreadsWithoutAnOuterLock)
{
    FakeClock clock;
    SimulatedUnit unit(settingsFor("slow=1:3,flaky=2:50%"), clock);
    constexpr int ROUNDS = 20000;
    auto hammer = [&](std::uint8_t data, int& misses) {
        for (int i = 0; i < ROUNDS; ++i) {
            unit.writeByte(DATA_PORT, data);
            if (i % 16 == 0)
                clock.advance(1);
            // Both threads keep output 0 on, so input 0 must read on.
            misses += (unit.readByte(STATUS_PORT) & 0x10) != 0;
        }
    };
    int missesA = 0;
    int missesB = 0;
    zorik::test::TestThread a([&] { hammer(std::uint8_t{0x01}, missesA); });
    zorik::test::TestThread b([&] { hammer(std::uint8_t{0x07}, missesB); });
    a.join();
    b.join();
    EXPECT_EQ(missesA, 0);
    EXPECT_EQ(missesB, 0);
}
