// The simulated build of ZorikApi.dll: the port goes to the model of the
// unit, the Windows version, the operator's boxes and ZorikApi.ini are
// real, and the giveio driver is whatever the model says.
#include "../backend.h"
#include "../win/ini_port_settings.h"
#include "../win/windows_platform.h"
#include "millisecond_clock.h"
#include "placed_unit_settings.h"
#include "sim_settings.h"
#include "simulated_platform.h"
#include "simulated_unit.h"

#include <windows.h>

#include <string>

namespace zorik {

namespace {

constexpr char SETTINGS_ERROR_CAPTION[] = "Zorik-Unit Simulator";
// Distinct from a program's own failure codes, so that a script can tell
// "bad ZORIK_SIM" from anything else.
constexpr UINT BAD_SETTINGS_EXIT_CODE = 3;

std::string settingsText()
{
    const DWORD needed = GetEnvironmentVariableA(sim::SETTINGS_VARIABLE, nullptr, 0);
    if (needed == 0)
        return std::string(); // unset or empty: a healthy unit
    std::string text(needed, '\0');
    const DWORD length = GetEnvironmentVariableA(sim::SETTINGS_VARIABLE, text.data(), needed);
    text.resize(length < needed ? length : 0);
    return text;
}

// A unit the operator did not ask for would make every later result a
// guess: say what is wrong, on the console for scripts and in a box for
// the operator, and end the program.
[[noreturn]] void refuseToRun(const std::string& error)
{
    const std::string line = error + "\r\n";
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    if (console != nullptr && console != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(console, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    MessageBoxA(nullptr, error.c_str(), SETTINGS_ERROR_CAPTION, MB_OK | MB_ICONERROR);
    ExitProcess(BAD_SETTINGS_EXIT_CODE);
}

sim::SimSettings settingsOrRefuse()
{
    sim::ParsedSimSettings parsed = sim::parseSimSettings(settingsText());
    if (!parsed.settings)
        refuseToRun(parsed.error);
    return *parsed.settings;
}

// Made on the first call into the DLL from any of its functions, not while
// the DLL loads, since a box must not be shown under the loader lock.
struct Simulation {
    sim::SimSettings settings = settingsOrRefuse();
    sim::SteadyClock clock;
    sim::SimulatedUnit unit{settings, clock};
    WindowsPlatform windows;
    sim::SimulatedPlatform platform{windows, settings.giveioPresent};
    IniPortSettings file;
    sim::PlacedUnitSettings portSettings{file, unit};
};

Simulation& simulation()
{
    static Simulation instance;
    return instance;
}

// The DLL's state takes its port while the DLL loads; these hand each
// call on to the simulation, made on the first of them.
class UnitOnFirstUse final : public PortIo {
public:
    std::uint8_t readByte(std::uint16_t port) override { return simulation().unit.readByte(port); }
    void writeByte(std::uint16_t port, std::uint8_t value) override
    {
        simulation().unit.writeByte(port, value);
    }
};

class PlatformOnFirstUse final : public Platform {
public:
    std::optional<std::uint32_t> platformId() override { return simulation().platform.platformId(); }
    bool probeGiveio() override { return simulation().platform.probeGiveio(); }
    void showFatalError(const char* text) override { simulation().platform.showFatalError(text); }
};

class PortSettingsOnFirstUse final : public PortSettings {
public:
    bool readBase(char (&value)[PORT_BASE_VALUE_CAPACITY]) override
    {
        return simulation().portSettings.readBase(value);
    }
    const char* unicodeEncoding() override { return simulation().portSettings.unicodeEncoding(); }
};

UnitOnFirstUse g_unit;
PlatformOnFirstUse g_platform;
PortSettingsOnFirstUse g_portSettings;

} // namespace

PortIo& processPortIo()
{
    return g_unit;
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
