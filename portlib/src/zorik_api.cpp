// The DLL's exported surface.
#define ZORIKAPI_BUILDING_DLL
#include "ZorikApi.h"

#include "backend.h"
#include "channel_registers.h"
#include "open_gate.h"
#include "win/ini_port_settings.h"

#include <windows.h>

namespace {

// The library's state, made while the DLL loads (its lock with it) and
// gone when it unloads, so that no call ever races to create it.
zorik::ChannelRegisters g_registers(zorik::processPortIo(), zorik::processPortSettings());

zorik::ChannelRegisters& registers()
{
    return g_registers;
}

} // namespace

extern "C" int ZORIK_CALL Zorik_Open(int mode)
{
    return zorik::openPorts(zorik::processPlatform(), registers(), mode);
}

extern "C" int ZORIK_CALL Zorik_Read(int channel)
{
    return registers().read(channel);
}

extern "C" void ZORIK_CALL Zorik_Write(int channel, int state)
{
    registers().write(channel, state);
}

// Nothing else to set up or tear down: the runtime's start-up code makes
// and destroys the state above, and the device handle is never held. The
// module handle is only remembered: the settings file is read on the first
// call, never under the loader lock.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        zorik::rememberLibraryModule(instance);
    return TRUE;
}
