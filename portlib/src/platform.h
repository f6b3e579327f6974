// The seam between the open gate and the operating system: which family of
// Windows runs, whether the giveio driver answers, and the operator's
// fatal-error box.
#pragma once

#include <cstdint>
#include <optional>

namespace zorik {

// dwPlatformId values of OSVERSIONINFOA.
inline constexpr std::uint32_t PLATFORM_WIN32_WINDOWS = 1; // the 9x family
inline constexpr std::uint32_t PLATFORM_WIN32_NT = 2;

class Platform {
public:
    // dwPlatformId from GetVersionExA, or nothing when the query fails.
    virtual std::optional<std::uint32_t> platformId() = 0;
    // Opens "\\.\giveio" and closes it again; true when the open succeeded.
    virtual bool probeGiveio() = 0;
    // Modal box under the caption "Zorik-Unit Fatal Error", OK button only.
    virtual void showFatalError(const char* text) = 0;

protected:
    // Never deleted through the seam (see PortIo).
    ~Platform() = default;
};

} // namespace zorik
