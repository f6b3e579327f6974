// The hardware build of the x64 library: the ports through inpoutx64.dll
// (inpoutx64_route.h), the real boxes and ZorikApi.ini.
#include "../backend.h"
#include "../win/ini_port_settings.h"
#include "../win/windows_platform.h"
#include "inpoutx64_route.h"

namespace zorik {

namespace {

// What the x64 open gate asks of the system: no giveio, no WOW64 (this is
// the 64-bit process itself), InpOut32's library through the route.
class InpOutX64Platform final : public Platform {
public:
    constexpr InpOutX64Platform(WindowsPlatform& windows, InpOutX64Route& route) : windows_(windows), route_(route) {}

    std::optional<std::uint32_t> platformId() override { return windows_.platformId(); }
    bool probeGiveio() override { return false; }
    bool isWow64Process() override { return false; }
    InpOutAnswer openInpOut() override { return route_.find(); }
    void showFatalError(const char* text) override { windows_.showFatalError(text); }

private:
    WindowsPlatform& windows_;
    InpOutX64Route& route_;
};

WindowsPlatform g_windows;
IniPortSettings g_portSettings;
InpOutX64Route g_route{g_windows, g_portSettings};
InpOutX64Platform g_platform{g_windows, g_route};

} // namespace

PortIo& processPortIo()
{
    return g_route;
}

Platform& processPlatform()
{
    return g_platform;
}

PortSettings& processPortSettings()
{
    return g_portSettings;
}

} // namespace zorik
