#include "windows_loopback_services.h"

#include "ZorikApi.h"
#include "framework/tick_clock.h"

#include <windows.h>

#include <cstdlib>

void WindowsLoopbackServices::writeOutput(int channel, int level)
{
    Zorik_Write(channel, level);
}

int WindowsLoopbackServices::readInput(int channel)
{
    return Zorik_Read(channel);
}

void WindowsLoopbackServices::sleep(unsigned milliseconds)
{
    ::Sleep(milliseconds);
}

std::uint64_t WindowsLoopbackServices::ticks()
{
    return TickClockNow();
}

zorik::TickRate WindowsLoopbackServices::tickRate()
{
    return TickClockRate();
}

std::uint32_t WindowsLoopbackServices::tickCount()
{
    return ::GetTickCount();
}

zorik::LocalTime WindowsLoopbackServices::localTime()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return {now.wHour, now.wMinute, now.wSecond};
}

int WindowsLoopbackServices::random()
{
    return std::rand();
}
