// The DLL's exported surface.
#define ZORIKAPI_BUILDING_DLL
#include "ZorikApi.h"

#include "backend.h"
#include "channel_registers.h"
#include "open_gate.h"

#include <windows.h>

namespace {

zorik::ChannelRegisters& registers()
{
    static zorik::ChannelRegisters instance(zorik::processPortIo());
    return instance;
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

// Nothing to set up or tear down: the state starts as it must and the
// device handle is never held.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
