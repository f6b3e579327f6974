// Zorik_Open against the Windows family the Wine prefix pretends to be.
// Each suite runs in a prefix of its own (see CMakeLists.txt); the first
// check of every test makes sure the prefix is the one the suite expects,
// so a wrong setup cannot pass for a right library.
#include "support/message_box_watch.h"
#include "support/prefix_facts.h"

#include <ZorikApi.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

namespace {

using zorik::wine::callDismissingBoxes;
using zorik::wine::giveioOpens;
using zorik::wine::platformId;
using zorik::wine::SeenBox;
using zorik::wine::WatchedCall;

constexpr unsigned CALL_TIMEOUT_MS = 30000;
constexpr char CAPTION[] = "Zorik-Unit Fatal Error";

std::string listBoxes(const WatchedCall& call)
{
    std::ostringstream out;
    for (const SeenBox& box : call.boxes)
        out << "[" << box.caption << ": " << box.text << "] ";
    return out.str();
}

void expectGrantedWithoutBox(int mode)
{
    const WatchedCall call = callDismissingBoxes(Zorik_Open, mode, CALL_TIMEOUT_MS);
    ASSERT_TRUE(call.returned) << "Zorik_Open(" << mode << ") did not return";
    EXPECT_EQ(1, call.result) << "Zorik_Open(" << mode << ")";
    EXPECT_TRUE(call.boxes.empty()) << listBoxes(call);
}

void expectRefusedWithFatalBox(int mode, const char* text)
{
    const WatchedCall call = callDismissingBoxes(Zorik_Open, mode, CALL_TIMEOUT_MS);
    ASSERT_TRUE(call.returned) << "Zorik_Open(" << mode << ") did not return after OK";
    EXPECT_FALSE(call.boxStuck);
    EXPECT_EQ(0, call.result) << "Zorik_Open(" << mode << ")";
    ASSERT_EQ(1u, call.boxes.size()) << listBoxes(call);

    const SeenBox& box = call.boxes.front();
    EXPECT_EQ(CAPTION, box.caption);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(std::vector<int>{IDOK}, box.visibleButtonIds) << "only an OK button";
    EXPECT_FALSE(box.showsIcon);
    EXPECT_FALSE(box.hasOwner);
    EXPECT_TRUE(box.callWaitedForBox) << "Zorik_Open returned while its box was still up";
}

TEST(OpenOnWin98, GrantsThePortsWithoutAnyBox)
{
    ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), platformId()) << "prefix is not 9x";
    expectGrantedWithoutBox(1);
    expectGrantedWithoutBox(0);
}

TEST(OpenOnWinXpWithGiveio, GrantsThePortsWithoutAnyBox)
{
    ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), platformId()) << "prefix is not NT";
    ASSERT_TRUE(giveioOpens()) << "prefix has no giveio device";
    expectGrantedWithoutBox(1);
    // The device handle is closed again, so nothing stops a second check.
    expectGrantedWithoutBox(0);
    EXPECT_TRUE(giveioOpens()) << "the library kept the device open";
}

TEST(OpenOnWinXpWithoutGiveio, RefusesAfterTheOperatorDismissesTheBox)
{
    ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), platformId()) << "prefix is not NT";
    ASSERT_FALSE(giveioOpens()) << "prefix has a giveio device";
    expectRefusedWithFatalBox(1, "Couldn't access giveio device");
    // Nothing remembers the failure: a second call checks and tells again.
    expectRefusedWithFatalBox(0, "Couldn't access giveio device");
}

TEST(OpenOnWin31, RefusesAnUnknownFamily)
{
    const DWORD id = platformId();
    ASSERT_NE(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), id) << "prefix is 9x";
    ASSERT_NE(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), id) << "prefix is NT";
    expectRefusedWithFatalBox(1, "Windows version mismatch");
}

} // namespace

namespace {

bool isWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The folder of the ZorikApi.dll this test loaded, with its backslash.
std::string libraryFolder()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(GetModuleHandleA("ZorikApi.dll"), path, MAX_PATH);
    const std::string library(path);
    return library.substr(0, library.find_last_of('\\') + 1);
}

// 64-bit Windows: no giveio driver can load there, so the box says what
// does work instead of "Couldn't access giveio device".
TEST(OpenOnWow64WithoutInpOut, SaysWhatThis64BitWindowsNeeds)
{
    ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), platformId()) << "prefix is not NT";
    ASSERT_TRUE(isWow64()) << "prefix is not 64-bit";
    ASSERT_FALSE(giveioOpens()) << "prefix has a giveio device";
    const std::string text = "This is 64-bit Windows, which cannot load the giveio driver: put the 32-bit "
                             "inpout32.dll of InpOut32 in " +
                             libraryFolder() + " (beside ZorikApi.dll) and start Zorik once as administrator";
    expectRefusedWithFatalBox(1, text.c_str());
    expectRefusedWithFatalBox(0, text.c_str());
}

} // namespace
