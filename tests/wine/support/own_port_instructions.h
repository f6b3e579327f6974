// Port instructions that belong to the test program itself, not to the
// library, and a fault handler of the program's own that skips them.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {
std::uint8_t __cdecl zorik_test_port_in(std::uint16_t port);
void __cdecl zorik_test_port_out(std::uint16_t port, std::uint8_t value);
}

namespace zorik::wine {

// What the program's own handler puts in AL for a refused read, so a test
// can tell which handler answered it.
inline constexpr std::uint8_t OWN_HANDLER_READ_VALUE = 0x5A;

// Registered last in the chain of vectored handlers while it lives: it sees
// a privileged-instruction fault only if every handler before it passed.
class OwnFaultHandler {
public:
    OwnFaultHandler();
    ~OwnFaultHandler();
    OwnFaultHandler(const OwnFaultHandler&) = delete;
    OwnFaultHandler& operator=(const OwnFaultHandler&) = delete;

    // Faults of this program's port instructions seen so far.
    long faultsSeen() const;

private:
    PVOID handle_;
};

} // namespace zorik::wine
