// Not a test: holds the dialog mid-run for screenshot-midtest.sh, which
// photographs the screen from the host. Disabled, so only that script runs
// it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "expectations.h"
#include "operator_steps.h"

namespace zorik::e2e {
namespace {

// The script hands over a host directory; Wine shows the host's root as Z:.
std::string hostDirectory() {
    const char* dir = std::getenv("ZORIK_E2E_SHOT_DIR");
    std::string path = dir ? std::string("Z:") + dir : "";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

TEST(Screenshot, DISABLED_HoldDialogMidTest) {
    const std::string shotDir = hostDirectory();
    ASSERT_FALSE(shotDir.empty()) << "run through screenshot-midtest.sh";
    ZorikSession zorik("stuck-off=1");
    ASSERT_TRUE(startLoopbackTest(zorik));
    std::vector<LogLine> lines;
    ASSERT_TRUE(logShowsLines(zorik.dialog(), 3, lines, Millis(10000)));

    CloseHandle(CreateFileA((shotDir + "\\ready").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string done = shotDir + "\\done";
    const auto taken = [&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; };
    EXPECT_TRUE(waitUntil(taken, Millis(30000), Millis(50)))
        << "no screenshot taken";
    ASSERT_TRUE(stopLoopbackTest(zorik));
    zorik.dialog().pressKey(VK_ESCAPE);
    EXPECT_TRUE(endsWithoutAsking(zorik));
}

} // namespace
} // namespace zorik::e2e
