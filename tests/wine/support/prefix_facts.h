// What the Wine prefix a test runs in claims to be, so that each suite can
// refuse to run in a prefix other than the one it was written for.
#pragma once

#include <windows.h>

namespace zorik::wine {

// dwPlatformId as GetVersionExA reports it, or 0xFFFFFFFF if the query fails.
inline DWORD platformId()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) ? info.dwPlatformId : 0xFFFFFFFFu;
}

inline bool giveioOpens()
{
    HANDLE device = CreateFileA("\\\\.\\giveio", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(device);
    return true;
}

} // namespace zorik::wine
