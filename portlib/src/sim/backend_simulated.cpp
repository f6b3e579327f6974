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

#include <memory>
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

// A bench swaps units on its fixture: with ZORIK_SIM_FILE naming a file,
// the unit on the port is the one that file's text describes (ZORIK_SIM's
// grammar), taken again whenever the file's last write time changes
// (looked at every 100 ms at most), so that a test can put another unit on
// the port while a program runs. ZORIK_SIM still says the rest (giveio)
// and the unit until the file is there.
class SwappedUnits {
public:
    SwappedUnits() : path_(variable("ZORIK_SIM_FILE")) {}

    // The unit to use now: `fixed`, or the file's.
    sim::SimulatedUnit& current(sim::SimulatedUnit& fixed, sim::MillisecondClock& clock)
    {
        if (path_.empty())
            return fixed;
        const DWORD now = GetTickCount();
        if (!looked_ || now - lastLook_ >= 100) {
            looked_ = true;
            lastLook_ = now;
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data) &&
                CompareFileTime(&data.ftLastWriteTime, &lastWrite_) != 0) {
                lastWrite_ = data.ftLastWriteTime;
                sim::ParsedSimSettings parsed = sim::parseSimSettings(fileText());
                if (!parsed.settings)
                    refuseToRun(parsed.error);
                settings_ = std::make_unique<sim::SimSettings>(*parsed.settings);
                unit_ = std::make_unique<sim::SimulatedUnit>(*settings_, clock);
                unit_->placeAt(fixed.dataPort());
            }
        }
        return unit_ ? *unit_ : fixed;
    }

private:
    static std::string variable(const char* name)
    {
        char value[MAX_PATH + 1] = "";
        const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
        return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
    }

    std::string fileText() const
    {
        std::string text;
        HANDLE file = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return text;
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got != 0)
            text.append(buffer, got);
        CloseHandle(file);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        return text;
    }

    std::string path_;
    bool looked_ = false;
    DWORD lastLook_ = 0;
    FILETIME lastWrite_ = {0, 0};
    std::unique_ptr<sim::SimSettings> settings_;
    std::unique_ptr<sim::SimulatedUnit> unit_;
};

// Made on the first call into the DLL from any of its functions, not while
// the DLL loads, since a box must not be shown under the loader lock.
struct Simulation {
    sim::SimSettings settings = settingsOrRefuse();
    sim::SteadyClock clock;
    sim::SimulatedUnit unit{settings, clock};
    SwappedUnits swapped;
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
    // The channel logic serialises every port access, so a swap happens
    // between two of them.
    std::uint8_t readByte(std::uint16_t port) override
    {
        Simulation& sim = simulation();
        return sim.swapped.current(sim.unit, sim.clock).readByte(port);
    }
    void writeByte(std::uint16_t port, std::uint8_t value) override
    {
        Simulation& sim = simulation();
        sim.swapped.current(sim.unit, sim.clock).writeByte(port, value);
    }
};

#ifdef _WIN64
InpOutAnswer unitAsInpOut();
#endif

class PlatformOnFirstUse final : public Platform {
public:
    std::optional<std::uint32_t> platformId() override { return simulation().platform.platformId(); }
    bool probeGiveio() override { return simulation().platform.probeGiveio(); }
    bool isWow64Process() override { return simulation().platform.isWow64Process(); }
#ifdef _WIN64
    InpOutAnswer openInpOut() override { return unitAsInpOut(); }
#else
    InpOutAnswer openInpOut() override { return simulation().platform.openInpOut(); }
#endif
    void showFatalError(const char* text) override { simulation().platform.showFatalError(text); }
};

class PortSettingsOnFirstUse final : public PortSettings {
public:
    bool readBase(char (&value)[PORT_BASE_VALUE_CAPACITY]) override
    {
        return simulation().portSettings.readBase(value);
    }
    bool readAccess(char (&value)[PORT_BASE_VALUE_CAPACITY]) override
    {
        return simulation().portSettings.readAccess(value);
    }
    const char* unicodeEncoding() override { return simulation().portSettings.unicodeEncoding(); }
};

UnitOnFirstUse g_unit;
PlatformOnFirstUse g_platform;
PortSettingsOnFirstUse g_portSettings;

#ifdef _WIN64
// The x64 library reaches its port through InpOut32's inpoutx64.dll: here
// the simulated unit stands in for that library and its driver, which
// no-giveio (the simulated unit's driver missing) leaves not open.
InpOutAnswer unitAsInpOut()
{
    InpOutAnswer answer;
    const bool driverOpen = simulation().settings.giveioPresent;
    answer.state = driverOpen ? InpOutState::Ready : InpOutState::DriverNotOpen;
    answer.port = driverOpen ? &g_unit : nullptr;
    return answer;
}
#endif

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
