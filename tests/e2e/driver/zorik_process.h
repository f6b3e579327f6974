// One run of Zorik.exe as a child of the test, in the same Wine prefix.
// The child is killed when the object goes, so a failed test never leaves
// a window waiting for an operator.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "wait_until.h"

namespace zorik::e2e {

struct LaunchSettings {
    std::string workDir;     // the child's current directory
    std::string simSettings; // ZORIK_SIM for the simulated unit; empty: healthy
    std::string arguments;   // after the program's name on its command line
};

class ZorikProcess {
public:
    // Starts Zorik.exe from the directory of the running test program.
    explicit ZorikProcess(const LaunchSettings& settings);
    ~ZorikProcess();
    ZorikProcess(const ZorikProcess&) = delete;
    ZorikProcess& operator=(const ZorikProcess&) = delete;

    DWORD id() const { return info_.dwProcessId; }
    bool running() const;

    // The exit code once the process has ended within `timeout`.
    std::optional<DWORD> waitForExit(Millis timeout) const;
    void kill();

    static std::string programPath();

private:
    PROCESS_INFORMATION info_{};
};

} // namespace zorik::e2e
