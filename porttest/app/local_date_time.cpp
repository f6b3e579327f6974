#include "local_date_time.h"

#include <windows.h>

zorik::DateTime LocalDateTime::now()
{
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    zorik::DateTime time;
    time.year = local.wYear;
    time.month = static_cast<std::uint8_t>(local.wMonth);
    time.day = static_cast<std::uint8_t>(local.wDay);
    time.hour = static_cast<std::uint8_t>(local.wHour);
    time.minute = static_cast<std::uint8_t>(local.wMinute);
    time.second = static_cast<std::uint8_t>(local.wSecond);
    return time;
}
