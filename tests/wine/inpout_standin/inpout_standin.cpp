// A stand-in for InpOut32's inpout32.dll, for tests only: the library's
// documented exports (all __stdcall, undecorated), each call appended to a
// log, a port behind it, and switches a test sets in the environment:
//
//   ZORIK_INPOUT_LOG       file every call is appended to, one line each:
//                          "loaded PATH" when the DLL loads, then e.g.
//                          "IsInpOutDriverOpen 1", "DlPortWritePortUchar 0378 E6",
//                          "DlPortReadPortUchar 0379 20"
//   ZORIK_INPOUT_DRIVER    "closed": IsInpOutDriverOpen answers 0, as when
//                          the driver was never installed or is blocked
//   ZORIK_INPOUT_PORT      "instructions": each byte goes through the
//                          processor's in/out instructions, for a run under
//                          the debugger-based port emulator (which executes
//                          them); otherwise the simulated unit of ZORIK_SIM
//                          at 0x378/0x379
//   ZORIK_INPOUT_DELAY_US  microseconds each port call takes, busy-waited,
//                          as a round trip to a driver does
//
// Built several times from this one source, each with its own list of
// exports (the .def files beside it), so that a test can offer a library
// that lacks a function. It ships nowhere.
#include "millisecond_clock.h"
#include "sim_settings.h"
#include "simulated_unit.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::string variable(const char* name)
{
    char value[MAX_PATH + 1] = "";
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

struct StandIn {
    HANDLE log = INVALID_HANDLE_VALUE;
    CRITICAL_SECTION lock;
    bool driverOpen = true;
    bool instructions = false;
    LONGLONG delayTicks = 0;
    zorik::sim::SteadyClock clock;
    std::unique_ptr<zorik::sim::SimSettings> settings;
    std::unique_ptr<zorik::sim::SimulatedUnit> unit;
};

StandIn* g_standIn = nullptr;

void logLine(const std::string& line)
{
    if (g_standIn->log == INVALID_HANDLE_VALUE)
        return;
    const std::string bytes = line + "\r\n";
    DWORD written = 0;
    EnterCriticalSection(&g_standIn->lock);
    WriteFile(g_standIn->log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    LeaveCriticalSection(&g_standIn->lock);
}

void takeTheDriversTime()
{
    if (g_standIn->delayTicks == 0)
        return;
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    do
        QueryPerformanceCounter(&now);
    while (now.QuadPart - start.QuadPart < g_standIn->delayTicks);
}

std::uint8_t readPort(std::uint16_t port)
{
    takeTheDriversTime();
    if (g_standIn->instructions) {
        std::uint8_t value;
        asm volatile("inb %w1, %b0" : "=a"(value) : "d"(port));
        return value;
    }
    return g_standIn->unit->readByte(port);
}

void writePort(std::uint16_t port, std::uint8_t value)
{
    takeTheDriversTime();
    if (g_standIn->instructions)
        asm volatile("outb %b0, %w1" : : "a"(value), "d"(port));
    else
        g_standIn->unit->writeByte(port, value);
}

std::string hex(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

void start(HINSTANCE self)
{
    g_standIn = new StandIn;
    InitializeCriticalSection(&g_standIn->lock);
    const std::string logPath = variable("ZORIK_INPOUT_LOG");
    if (!logPath.empty())
        g_standIn->log = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    g_standIn->driverOpen = variable("ZORIK_INPOUT_DRIVER") != "closed";
    g_standIn->instructions = variable("ZORIK_INPOUT_PORT") == "instructions";
    const std::string delay = variable("ZORIK_INPOUT_DELAY_US");
    if (!delay.empty()) {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        g_standIn->delayTicks = frequency.QuadPart * std::atoi(delay.c_str()) / 1000000;
    }
    zorik::sim::ParsedSimSettings parsed = zorik::sim::parseSimSettings(variable(zorik::sim::SETTINGS_VARIABLE));
    g_standIn->settings = std::make_unique<zorik::sim::SimSettings>(
        parsed.settings ? *parsed.settings : *zorik::sim::parseSimSettings("").settings);
    g_standIn->unit = std::make_unique<zorik::sim::SimulatedUnit>(*g_standIn->settings, g_standIn->clock);

    char path[MAX_PATH + 1] = "";
    GetModuleFileNameA(self, path, MAX_PATH);
    logLine(std::string("loaded ") + path);
    if (!parsed.settings)
        logLine("bad ZORIK_SIM: " + parsed.error);
}

} // namespace

extern "C" {

BOOL WINAPI IsInpOutDriverOpen()
{
    logLine(std::string("IsInpOutDriverOpen ") + (g_standIn->driverOpen ? "1" : "0"));
    return g_standIn->driverOpen;
}

UCHAR WINAPI DlPortReadPortUchar(USHORT port)
{
    const std::uint8_t value = readPort(port);
    logLine("DlPortReadPortUchar " + hex(port, 4) + " " + hex(value, 2));
    return value;
}

void WINAPI DlPortWritePortUchar(USHORT port, UCHAR value)
{
    writePort(port, value);
    logLine("DlPortWritePortUchar " + hex(port, 4) + " " + hex(value, 2));
}

// The older pair takes the port as a signed short: ports from 0x8000 up
// arrive negative and are taken as the 16-bit number they spell.
short WINAPI Inp32(short port)
{
    const std::uint8_t value = readPort(static_cast<std::uint16_t>(port));
    logLine("Inp32 " + hex(static_cast<std::uint16_t>(port), 4) + " " + hex(value, 2));
    return value;
}

void WINAPI Out32(short port, short value)
{
    writePort(static_cast<std::uint16_t>(port), static_cast<std::uint8_t>(value));
    logLine("Out32 " + hex(static_cast<std::uint16_t>(port), 4) + " " + hex(static_cast<std::uint8_t>(value), 2));
}

BOOL WINAPI IsXP64Bit()
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    logLine(std::string("IsXP64Bit ") + (wow64 ? "1" : "0"));
    return wow64;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        start(self);
    return TRUE;
}

} // extern "C"
