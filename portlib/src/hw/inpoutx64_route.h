// The x64 library's only way to the ports. A 64-bit process has no in/out
// instructions of its own and no giveio: it reaches the ports through
// InpOut32's inpoutx64.dll beside ZorikApi.dll. As on Windows 9x, reads
// and writes need no Zorik_Open before them, so the library is looked for
// at the first port byte (without a box: boxes come only from Zorik_Open),
// and again by every Zorik_Open until it is found with its driver open.
#pragma once

#include "../platform.h"
#include "../port_io.h"
#include "../port_settings.h"
#include "../win/windows_platform.h"

namespace zorik {

class InpOutX64Route final : public PortIo {
public:
    constexpr InpOutX64Route(WindowsPlatform& windows, PortSettings& settings)
        : windows_(windows), settings_(settings)
    {
    }

    // Loads inpoutx64.dll from the folder of ZorikApi.dll (once), unless
    // ZorikApi.ini says Access=giveio, and asks whether its driver is open;
    // the bytes go through it from then on only if it is. Callers hold the
    // channel registers' lock, as the port bytes do.
    InpOutAnswer find();

    // Through the library once it is found ready; until then a read sees
    // 0xFF, what an absent port's floating bus shows, and a write is lost.
    std::uint8_t readByte(std::uint16_t port) override;
    void writeByte(std::uint16_t port, std::uint8_t value) override;

private:
    PortIo* ready();

    WindowsPlatform& windows_;
    PortSettings& settings_;
    bool looked_ = false;
    PortIo* library_ = nullptr; // while found ready
};

} // namespace zorik
