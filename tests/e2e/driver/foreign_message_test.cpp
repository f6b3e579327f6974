// Another program sends the main dialog's private message (WM_APP + 1, as
// a broadcast of the WM_APP range would), with nothing, with garbage, and
// with the address of a string object forged inside Zorik's own memory:
// Zorik must neither end nor show a line that its loop did not log.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
#include "operator_steps.h"
#include "process_windows.h"

namespace zorik::e2e {
namespace {

constexpr char kForgedLine[] = "forged\r\n";

// A std::string holding kForgedLine as the program's 32-bit C++ runtime
// lays one out (data pointer, length, 16-byte local buffer), placed in
// process `processId`; its address there, 0 when it could not be placed.
LPARAM forgeStringIn(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
    if (!process)
        return 0;
    void* remote = VirtualAllocEx(process, nullptr, 64, MEM_COMMIT, PAGE_READWRITE);
    struct {
        std::uint32_t data, length;
        char local[16];
    } forged{};
    if (remote) {
        forged.data = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(remote)) + 8;
        forged.length = sizeof kForgedLine - 1;
        std::memcpy(forged.local, kForgedLine, sizeof kForgedLine);
        if (!WriteProcessMemory(process, remote, &forged, sizeof forged, nullptr))
            remote = nullptr;
    }
    CloseHandle(process);
    return reinterpret_cast<LPARAM>(remote);
}

void sendFromOutside(const MainDialog& dialog, LPARAM forged) {
    for (const LPARAM lParam : {LPARAM(0), LPARAM(0x12345678), forged})
        for (const WPARAM wParam : {WPARAM(0), WPARAM(0xDEADBEEF)})
            sendBounded(dialog.window(), WM_APP + 1, wParam, lParam);
}

TEST(ForeignMessage, NeitherEndsTheProgramNorAddsALine) {
    ZorikSession zorik("stuck-off=1");
    const MainDialog& dialog = zorik.dialog();
    const LPARAM forged = forgeStringIn(zorik.processId());
    ASSERT_NE(forged, 0) << "the forged string could not be placed";

    const std::string idle = dialog.text(kLogBox);
    sendFromOutside(dialog, forged);
    EXPECT_EQ(escapedBytes(dialog.text(kLogBox)), escapedBytes(idle)) << "while idle";

    ASSERT_TRUE(startLoopbackTest(zorik));
    std::vector<LogLine> lines;
    ASSERT_TRUE(logShowsLines(dialog, 1, lines, Millis(8000)));
    for (int round = 0; round < 20; ++round) {
        sendFromOutside(dialog, forged);
        Sleep(50);
    }
    ASSERT_TRUE(stopLoopbackTest(zorik));
    // Well-formed: a forged line would not parse.
    ASSERT_TRUE(logShowsLines(dialog, 0, lines, Millis(0)));
    const std::string shownLog = dialog.text(kLogBox);
    const auto report = parsedReport(saveAndLeave(zorik));
    ASSERT_TRUE(report);
    EXPECT_EQ(escapedBytes(report->log), escapedBytes(shownLog))
        << "the box shows another log than the program holds";
}

} // namespace
} // namespace zorik::e2e
