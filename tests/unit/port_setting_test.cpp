// The port base from ZorikApi.ini: the value's syntax, and what the channel
// logic and the open gate do with a good and with a bad one.
#include "channel_registers.h"
#include "fake_platform.h"
#include "fake_port_settings.h"
#include "open_gate.h"
#include "access_setting.h"
#include "port_base.h"
#include "recording_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using zorik::ChannelRegisters;
using zorik::describeBadPortBase;
using zorik::openPorts;
using zorik::parsePortBase;
using zorik::PORT_BASE_ERROR_CAPACITY;
using zorik::testing::FakePlatform;
using zorik::testing::FakePortSettings;
using zorik::testing::PortAccess;
using zorik::testing::RecordingPort;

namespace {

const std::string LONGEST_READ(zorik::PORT_BASE_VALUE_CAPACITY - 2, '0'); // one short of filling the reader

std::string badBaseMessage(const std::string& value)
{
    return "ZorikApi.ini: Base=" + value + " is not a parallel port base (0x100 to 0xFFFC, a multiple of 4)";
}

std::string badAccessMessage(const std::string& value)
{
    return "ZorikApi.ini: Access=" + value + " is not a way to the port (auto, giveio or inpout32)";
}

} // namespace

TEST(AccessSettingValue, AcceptedAndRefusedValues)
{
    using zorik::AccessSetting;
    const struct {
        std::string text;
        std::optional<AccessSetting> access; // nothing: refused
    } rows[] = {
        {"auto", AccessSetting::Auto},
        {"Auto", AccessSetting::Auto},
        {"giveio", AccessSetting::Giveio},
        {"GIVEIO", AccessSetting::Giveio},
        {"inpout32", AccessSetting::InpOut32},
        {"InpOut32", AccessSetting::InpOut32},
        {" \tinpout32\t ", AccessSetting::InpOut32},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"inpout", std::nullopt},
        {"inpout32.dll", std::nullopt},
        {"inpoutx64", std::nullopt},
        {"inpout3", std::nullopt},
        {"inpout322", std::nullopt},
        {"giveio32", std::nullopt},
        {"in pout32", std::nullopt},
        {"auto;giveio", std::nullopt},
        {"giveio, inpout32", std::nullopt},
        {"0", std::nullopt},
        {"1", std::nullopt},
        {"\"auto\"", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(zorik::parseAccessSetting(row.text.c_str()), row.access) << "\"" << row.text << "\"";

    const std::string cut(zorik::PORT_BASE_VALUE_CAPACITY - 1, 'a');
    char message[PORT_BASE_ERROR_CAPACITY];
    zorik::describeBadAccessSetting(cut.c_str(), message);
    EXPECT_EQ(std::string(message), badAccessMessage(cut + "..."));
}

TEST(PortBaseValue, AcceptedAndRefusedValues)
{
    struct Row {
        std::string text;
        std::optional<std::uint16_t> base; // nothing: refused
    };
    const Row rows[] = {
        // accepted
        {"0x378", 0x378},
        {"0X378", 0x378},
        {"0xd010", 0xD010},
        {"0xdff8", 0xDFF8}, // a lowercase f
        {"0xE800", 0xE800},
        {"888", 0x378},
        {"0888", 0x378}, // a leading zero does not make it octal
        {"  0x3010  ", 0x3010},
        {"\t12304\t", 0x3010},
        {"0x100", 0x100},
        {"256", 0x100},
        {"0xFFFC", 0xFFFC},
        {"65532", 0xFFFC},
        {"0x0000D010", 0xD010},
        {"0x" + LONGEST_READ.substr(6) + "D010", 0xD010},      // as long as a value can be read whole
        // empty
        {"", std::nullopt},
        {"   ", std::nullopt},
        // not a number
        {"0x", std::nullopt},
        {"LPT1", std::nullopt},
        {"x378", std::nullopt},
        {"0xG00", std::nullopt},
        {"0b1100", std::nullopt},
        {"0x-378", std::nullopt},
        {"00x100", std::nullopt}, // the prefix comes first
        // a sign
        {"-888", std::nullopt},
        {"+888", std::nullopt},
        {"+0x378", std::nullopt},
        {"-0x378", std::nullopt},
        // characters after the number
        {"0x378h", std::nullopt},
        {"888 decimal", std::nullopt},
        {"0x37 8", std::nullopt},
        {"0x378;LPT1", std::nullopt},
        {"0x378.", std::nullopt},
        // out of range
        {"0", std::nullopt},
        {"0xFC", std::nullopt},
        {"252", std::nullopt},
        {"0x10000", std::nullopt},
        {"65536", std::nullopt},
        {"0x1000000378", std::nullopt}, // would wrap to 0x378 in 32 bits
        {"4294968184", std::nullopt},   // 2^32 + 0x378
        // not a multiple of 4
        {"0x379", std::nullopt}, // the status port typed by mistake
        {"0x37A", std::nullopt},
        {"889", std::nullopt},
        {"0xFFFE", std::nullopt},
        // filled the reader: may have been cut short
        {"0x" + LONGEST_READ.substr(5) + "D010", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parsePortBase(row.text.c_str()), row.base) << "\"" << row.text << "\"";
}

TEST(PortBaseValue, MessageNamesTheFileTheKeyTheValueAsWrittenAndWhatIsAccepted)
{
    const std::string cut = "0x" + LONGEST_READ.substr(1);
    const struct {
        std::string value;
        std::string message;
    } rows[] = {
        {"0x379", badBaseMessage("0x379")},
        {"", badBaseMessage("")},
        {" +888 ", badBaseMessage(" +888 ")},
        {cut, badBaseMessage(cut + "...")},
    };
    for (const auto& row : rows) {
        char message[PORT_BASE_ERROR_CAPACITY];
        describeBadPortBase(row.value.c_str(), message);
        EXPECT_EQ(std::string(message), row.message);
    }
}

// Without a setting the port stays at 0x378; with a good one every access
// moves to Base and Base + 1; with a bad one no port is touched, reads
// return 0 and only the latch follows the writes.
TEST(ConfiguredPort, AccessesLandOnBaseAndBasePlusOneOrNowhere)
{
    const struct {
        std::optional<std::string> setting;
        std::vector<PortAccess> accesses;
        int reads; // what Zorik_Read(1) and Zorik_Read(2) return, as bits 0 and 1
    } rows[] = {
        {std::nullopt, {{true, 0x378, 0x06}, {false, 0x379, 0x00}, {false, 0x379, 0x00}}, 3},
        {"0xD010", {{true, 0xD010, 0x06}, {false, 0xD011, 0x00}, {false, 0xD011, 0x00}}, 3},
        {" 0XE800 ", {{true, 0xE800, 0x06}, {false, 0xE801, 0x00}, {false, 0xE801, 0x00}}, 3},
        {"0x379", {}, 0},
        {"", {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.setting.value_or("(no setting)"));
        RecordingPort port;
        FakePortSettings settings;
        settings.base = row.setting;
        ChannelRegisters registers(port, settings);
        registers.write(0, 0);
        registers.write(3, 1);
        const int reads = registers.read(1) | registers.read(2) << 1;
        EXPECT_EQ(registers.read(3), 0);
        EXPECT_EQ(port.accesses, row.accesses);
        EXPECT_EQ(reads, row.reads);
        EXPECT_EQ(registers.outputLatch(), 0x06u);
    }
}

TEST(ConfiguredPort, IsReadOnceOnTheFirstCallOfAnyFunction)
{
    using First = void (*)(ChannelRegisters&, FakePlatform&);
    const First firstCalls[] = {
        [](ChannelRegisters& r, FakePlatform& p) { openPorts(p, r, 1); },
        [](ChannelRegisters& r, FakePlatform&) { r.read(3); },
        [](ChannelRegisters& r, FakePlatform&) { r.write(3, 1); },
    };
    for (const std::string setting : {"0xD010", "0x379"}) {
        for (std::size_t first = 0; first < std::size(firstCalls); ++first) {
            SCOPED_TRACE(setting + ", first call #" + std::to_string(first));
            RecordingPort port;
            FakePortSettings settings(setting);
            FakePlatform platform;
            ChannelRegisters registers(port, settings);
            EXPECT_EQ(settings.reads, 0) << "read before any call";
            firstCalls[first](registers, platform);
            EXPECT_EQ(settings.reads, 1);
            openPorts(platform, registers, 1);
            registers.write(0, 1);
            registers.read(0);
            EXPECT_EQ(settings.reads, 1);
        }
    }
}

// The setting is checked before the Windows family is asked: a bad one
// refuses on every family with its own box and nothing else, a good one
// leaves the gate as it was.
TEST(ConfiguredPort, BadSettingRefusesOpenBeforeThePlatformGate)
{
    const std::string bad = "0x379";
    const struct {
        const char* family;
        std::optional<std::uint32_t> id;
        bool giveio;
        const char* setting;
        int result;
        std::vector<std::string> boxes;
        int probes;
        const char* access = nullptr; // Access=, none when null
    } rows[] = {
        {"9x", zorik::PLATFORM_WIN32_WINDOWS, false, "0x379", 0, {badBaseMessage(bad)}, 0},
        {"NT, giveio", zorik::PLATFORM_WIN32_NT, true, "0x379", 0, {badBaseMessage(bad)}, 0},
        {"NT, no giveio", zorik::PLATFORM_WIN32_NT, false, "0x379", 0, {badBaseMessage(bad)}, 0},
        {"unknown", 3, false, "0x379", 0, {badBaseMessage(bad)}, 0},
        {"9x", zorik::PLATFORM_WIN32_WINDOWS, false, "0xD010", 1, {}, 0},
        {"NT, giveio", zorik::PLATFORM_WIN32_NT, true, "0xD010", 1, {}, 1},
        {"NT, no giveio", zorik::PLATFORM_WIN32_NT, false, "0xD010", 0, {"Couldn't access giveio device"}, 1},
        {"unknown", 3, false, "0xD010", 0, {"Windows version mismatch"}, 0},
        // A bad Access is refused like a bad Base, before any family is
        // asked; a bad Base is told first.
        {"9x", zorik::PLATFORM_WIN32_WINDOWS, false, "0xD010", 0, {badAccessMessage("inpout")}, 0, "inpout"},
        {"NT, giveio", zorik::PLATFORM_WIN32_NT, true, "0xD010", 0, {badAccessMessage("")}, 0, ""},
        {"NT, no giveio", zorik::PLATFORM_WIN32_NT, false, "0xD010", 0, {badAccessMessage("inpoutx64")}, 0,
         "inpoutx64"},
        {"NT, giveio", zorik::PLATFORM_WIN32_NT, true, "0xD010", 0, {badAccessMessage("giveio, inpout32")}, 0,
         "giveio, inpout32"},
        {"NT, giveio", zorik::PLATFORM_WIN32_NT, true, "0x379", 0, {badBaseMessage(bad)}, 0, "inpout"},
        {"NT, giveio", zorik::PLATFORM_WIN32_NT, true, "0xD010", 1, {}, 1, "giveio"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.family) + ", Base=" + row.setting + ", Access=" + (row.access ? row.access : "(none)"));
        RecordingPort port;
        FakePortSettings settings(row.setting);
        if (row.access)
            settings.access = row.access;
        FakePlatform platform;
        platform.id = row.id;
        platform.giveioPresent = row.giveio;
        ChannelRegisters registers(port, settings);
        EXPECT_EQ(openPorts(platform, registers, 1), row.result);
        EXPECT_EQ(platform.fatalErrors, row.boxes);
        EXPECT_EQ(platform.probes, row.probes);
        EXPECT_EQ(registers.openMode(), row.probes == 1 && row.result == 1 ? 1 : 0);
        EXPECT_TRUE(port.accesses.empty());
    }
}
