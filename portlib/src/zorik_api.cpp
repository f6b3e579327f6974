// The DLL's exported surface.
#define ZORIKAPI_BUILDING_DLL
#include "ZorikApi.h"

#include "backend.h"
#include "channel_registers.h"
#include "open_gate.h"
#ifdef _WIN64
#include "x64_open_gate.h"
#endif
#include "win/ini_port_settings.h"

#include <windows.h>

#include <new>

namespace {

// The library's state, made by DllMain when the DLL loads (its lock with
// it) and destroyed when it unloads, so that no call ever races to create
// it. Made there rather than by a global's constructor, the hardware build
// needs no C run-time start-up code: that code would give the DLL a
// thread-local storage directory, and Windows 95 refuses to LoadLibrary a
// DLL that has one (programs in Visual Basic or LabVIEW load it that way).
alignas(zorik::ChannelRegisters) unsigned char g_registersStorage[sizeof(zorik::ChannelRegisters)];

zorik::ChannelRegisters& registers()
{
    return *std::launder(reinterpret_cast<zorik::ChannelRegisters*>(g_registersStorage));
}

} // namespace

extern "C" int ZORIK_CALL Zorik_Open(int mode)
{
#ifdef _WIN64
    return zorik::openPortsFor64BitProcess(zorik::processPlatform(), registers(), mode);
#else
    return zorik::openPorts(zorik::processPlatform(), registers(), mode);
#endif
}

extern "C" int ZORIK_CALL Zorik_Read(int channel)
{
    return registers().read(channel);
}

extern "C" void ZORIK_CALL Zorik_Write(int channel, int state)
{
    registers().write(channel, state);
}

// Nothing else to set up or tear down: the device handle is never held,
// and the module handle is only remembered, since the settings file is
// read on the first call, never under the loader lock. In the hardware
// build this is the DLL's entry point itself.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        zorik::rememberLibraryModule(instance);
        new (g_registersStorage) zorik::ChannelRegisters(zorik::processPortIo(), zorik::processPortSettings());
    } else if (reason == DLL_PROCESS_DETACH) {
        registers().~ChannelRegisters();
    }
    return TRUE;
}
