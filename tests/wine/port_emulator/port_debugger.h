// A parallel port emulated by a debugger: runs a program under the Win32
// debugging API, executes its refused `in al,dx` and `out dx,al`
// instructions against a model of the port, and records every access.
#pragma once

#include "port_access.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorik::wine {

using testing::PortAccess;

// The accesses made between one step marker of the script and the next.
struct Step {
    std::string name;
    std::vector<PortAccess> accesses;
    bool operator==(const Step& other) const { return name == other.name && accesses == other.accesses; }
};

struct EmulatedRun {
    bool exited = false; // on its own, before the time limit
    unsigned long exitCode = 0;
    std::vector<Step> steps; // the first, unnamed one holds accesses before any marker
    std::string output;      // the program's standard output
    std::vector<std::string> problems; // anything the emulator could not handle
};

// Runs `commandLine` under the emulator for at most `timeoutMs`; the status
// register, at `statusPort`, answers 0xFF (no unit attached) until the
// script sets it.
EmulatedRun runUnderPortEmulator(const std::string& commandLine, unsigned timeoutMs,
                                 std::uint16_t statusPort = 0x379);

} // namespace zorik::wine
