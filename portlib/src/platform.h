// The seam between the open gate and the operating system: which family of
// Windows runs, whether the giveio driver answers, whether InpOut32's
// library beside ZorikApi.dll reaches the ports, and the operator's
// fatal-error box.
#pragma once

#include "port_io.h"

#include <cstdint>
#include <optional>

namespace zorik {

// dwPlatformId values of OSVERSIONINFOA.
inline constexpr std::uint32_t PLATFORM_WIN32_WINDOWS = 1; // the 9x family
inline constexpr std::uint32_t PLATFORM_WIN32_NT = 2;

// What became of asking for InpOut32's inpout32.dll beside ZorikApi.dll.
enum class InpOutState {
    Ready,         // loaded, every function there, its driver open
    Missing,       // no inpout32.dll in that folder
    NotLoadable,   // there, but not a DLL this process can load
    LacksFunction, // loaded, but without a function it needs
    DriverNotOpen, // loaded, but IsInpOutDriverOpen says no
};

struct InpOutAnswer {
    InpOutState state = InpOutState::Missing;
    // Ready: the port every byte goes through from then on.
    PortIo* port = nullptr;
    // The file looked for and its folder (with its trailing backslash);
    // empty where the library's own folder is unknown.
    const char* path = "";
    const char* folder = "";
    const char* missingFunction = ""; // LacksFunction
    std::uint32_t loadError = 0;      // NotLoadable: the system's error code
};

class Platform {
public:
    // dwPlatformId from GetVersionExA, or nothing when the query fails.
    virtual std::optional<std::uint32_t> platformId() = 0;
    // Opens "\\.\giveio" and closes it again; true when the open succeeded.
    virtual bool probeGiveio() = 0;
    // True for a 32-bit process on 64-bit Windows (IsWow64Process), false
    // where the system has no such function.
    virtual bool isWow64Process() = 0;
    // Loads inpout32.dll from the folder of ZorikApi.dll (never the search
    // path) and asks it whether its driver is open.
    virtual InpOutAnswer openInpOut() = 0;
    // Modal box under the caption "Zorik-Unit Fatal Error", OK button only.
    virtual void showFatalError(const char* text) = 0;

protected:
    // Never deleted through the seam (see PortIo).
    ~Platform() = default;
};

} // namespace zorik
