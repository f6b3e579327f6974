// Zorik_Open of the x64 library: the ports only through inpoutx64.dll,
// whatever the Windows family says, and a box that says what to do for
// each way that fails.
#include "fake_platform.h"
#include "fake_port_settings.h"
#include "recording_port.h"
#include "x64_open_gate.h"

#include <gtest/gtest.h>

namespace {

using zorik::ChannelRegisters;
using zorik::DATA_PORT;
using zorik::InpOutState;
using zorik::openPortsFor64BitProcess;
using zorik::testing::FakePlatform;
using zorik::testing::FakePortSettings;
using zorik::testing::PortAccess;
using zorik::testing::RecordingPort;

const std::string MISSING_BOX =
    "inpoutx64.dll is not in C:\\Tools\\ZorikApi\\x64\\: a 64-bit program reaches the port only through "
    "InpOut32. Put the 64-bit inpoutx64.dll of InpOut32 there, beside this x64 ZorikApi.dll, and start the "
    "program once as administrator";
const std::string NOT_LOADABLE_BOX = "C:\\Tools\\ZorikApi\\x64\\inpoutx64.dll cannot be loaded (Windows error 193): "
                                     "it must be the 64-bit inpoutx64.dll of InpOut32";
const std::string LACKS_BOX = "C:\\Tools\\ZorikApi\\x64\\inpoutx64.dll lacks the function IsInpOutDriverOpen: it "
                              "must be the 64-bit inpoutx64.dll of InpOut32";
const std::string DRIVER_BOX =
    "inpoutx64.dll in C:\\Tools\\ZorikApi\\x64\\ cannot open its driver. Start the program once as administrator "
    "(right-click, Run as administrator): the driver is installed then, and later starts need no rights. If it "
    "still fails, Windows blocks the driver (for example Memory integrity, under Core isolation in Windows "
    "Security)";
const std::string GIVEIO_BOX = "ZorikApi.ini: Access=giveio cannot be used by a 64-bit program, which reaches the "
                               "port only through InpOut32's inpoutx64.dll (Access=auto or Access=inpout32)";

struct X64OpenCase {
    const char* what;
    std::optional<std::string> base;
    std::optional<std::string> access;
    InpOutState inpOut;
    int mode;
    int result;
    int inpOutOpens;
    std::vector<std::string> boxes;
    // The byte Zorik_Write(0, 0) then sends through inpoutx64.dll; none
    // when the open failed (the library's own port, not looked at here).
    std::optional<std::uint8_t> written;
};

} // namespace

TEST(X64OpenGate, OnlyInpOutX64OpensAndEachFailureSaysWhatToDo)
{
    const auto R = InpOutState::Ready;
    const X64OpenCase cases[] = {
        {"no file: the driver open records mode 1", std::nullopt, std::nullopt, R, 1, 1, 1, {}, 0xE6},
        {"mode 0 forces nothing", std::nullopt, std::nullopt, R, 0, 1, 1, {}, 0x06},
        {"Access=auto", std::nullopt, "auto", R, 1, 1, 1, {}, 0xE6},
        {"Access=inpout32 names the same library", "0xD010", " InpOut32 ", R, 1, 1, 1, {}, 0xE6},
        {"Access=giveio: no 64-bit process can", std::nullopt, "giveio", R, 1, 0, 0, {GIVEIO_BOX}, std::nullopt},
        {"a bad Access is the settings' own refusal", std::nullopt, "inpoutx64", R, 1, 0, 0,
         {"ZorikApi.ini: Access=inpoutx64 is not a way to the port (auto, giveio or inpout32)"}, std::nullopt},
        {"a bad Base is told first", "0x379", "giveio", R, 1, 0, 0,
         {"ZorikApi.ini: Base=0x379 is not a parallel port base (0x100 to 0xFFFC, a multiple of 4)"},
         std::nullopt},
        {"not there", std::nullopt, std::nullopt, InpOutState::Missing, 1, 0, 1, {MISSING_BOX}, std::nullopt},
        {"not a 64-bit DLL", std::nullopt, std::nullopt, InpOutState::NotLoadable, 1, 0, 1, {NOT_LOADABLE_BOX},
         std::nullopt},
        {"a function missing", std::nullopt, std::nullopt, InpOutState::LacksFunction, 1, 0, 1, {LACKS_BOX},
         std::nullopt},
        {"driver not open", std::nullopt, "auto", InpOutState::DriverNotOpen, 1, 0, 1, {DRIVER_BOX}, std::nullopt},
    };
    for (const X64OpenCase& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingPort port;
        FakePortSettings settings;
        settings.base = c.base;
        settings.access = c.access;
        ChannelRegisters registers(port, settings);
        FakePlatform platform;
        // A 64-bit process runs on the NT family alone: the family is not asked.
        platform.id = std::nullopt;
        platform.inpOut = {c.inpOut, nullptr, "C:\\Tools\\ZorikApi\\x64\\inpoutx64.dll", "C:\\Tools\\ZorikApi\\x64\\",
                           "IsInpOutDriverOpen", 193};

        EXPECT_EQ(openPortsFor64BitProcess(platform, registers, c.mode), c.result);
        EXPECT_EQ(platform.inpOutOpens, c.inpOutOpens);
        EXPECT_EQ(platform.fatalErrors, c.boxes);
        EXPECT_EQ(platform.probes + platform.wow64Queries, 0) << "neither giveio nor WOW64 is asked";
        EXPECT_EQ(registers.openMode(), c.result == 1 ? c.mode : 0);
        EXPECT_TRUE(port.accesses.empty() && platform.inpOutPort.accesses.empty()) << "opening touches no port";

        registers.write(0, 0);
        const std::uint16_t dataPort = c.base == "0xD010" ? 0xD010 : DATA_PORT;
        const std::vector<PortAccess> throughInpOut =
            c.written ? std::vector<PortAccess>{{true, dataPort, *c.written}} : std::vector<PortAccess>{};
        EXPECT_EQ(platform.inpOutPort.accesses, throughInpOut);
    }
}

TEST(X64OpenGate, BoxesNameTheLibrarysFolderWhenItsPathIsUnknown)
{
    zorik::InpOutAnswer answer;
    answer.state = InpOutState::Missing;
    char message[zorik::INPOUT_MESSAGE_CAPACITY];
    zorik::describeInpOutX64Problem(answer, message);
    EXPECT_STREQ(message, "inpoutx64.dll is not in the folder of ZorikApi.dll: a 64-bit program reaches the port "
                          "only through InpOut32. Put the 64-bit inpoutx64.dll of InpOut32 there, beside this x64 "
                          "ZorikApi.dll, and start the program once as administrator");
    answer.state = InpOutState::NotLoadable;
    answer.loadError = 126;
    zorik::describeInpOutX64Problem(answer, message);
    EXPECT_STREQ(message, "inpoutx64.dll cannot be loaded (Windows error 126): it must be the 64-bit inpoutx64.dll "
                          "of InpOut32");
}
