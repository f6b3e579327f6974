// The DLL's exported surface.
#define ZORIKAPI_BUILDING_DLL
#include "ZorikApi.h"

#include "backend.h"
#include "channel_registers.h"
#include "open_gate.h"

#include <windows.h>

namespace {

// The library's state, made while the DLL loads (its lock with it) and
// gone when it unloads, so that no call ever races to create it.
zorik::ChannelRegisters g_registers(zorik::processPortIo());

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
// and destroys the state above, and the device handle is never held.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
