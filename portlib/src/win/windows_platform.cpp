#include "windows_platform.h"

#include "../open_gate.h"

#include <windows.h>

namespace zorik {

std::optional<std::uint32_t> WindowsPlatform::platformId()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info; // 148 bytes: the 9x family knows no larger form
    static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA size");
    if (!GetVersionExA(&info))
        return std::nullopt;
    return info.dwPlatformId;
}

bool WindowsPlatform::probeGiveio()
{
    // Opening the device is what makes the driver grant this process the
    // ports; the grant outlasts the handle.
    HANDLE device = CreateFileA(GIVEIO_DEVICE_PATH, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(device);
    return true;
}

void WindowsPlatform::showFatalError(const char* text)
{
    MessageBoxA(nullptr, text, FATAL_ERROR_CAPTION, MB_OK);
}

} // namespace zorik
