#include "windows_platform.h"

#include "../open_gate.h"
#include "module_folder.h"

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

bool WindowsPlatform::isWow64Process()
{
    // Looked up, not imported: Windows before XP SP2 has no such function,
    // and no 32-bit process there runs on a 64-bit system.
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (kernel == nullptr)
        return false;
    const auto isWow64 = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

InpOutAnswer WindowsPlatform::openInpOut()
{
    InpOutAnswer answer;
    const InpOutLoad load = inpOut_.load(libraryModule(), THIS_PROCESS_INPOUT_FILE);
    answer.path = inpOut_.path();
    answer.folder = inpOut_.folder();
    switch (load) {
    case InpOutLoad::Missing:
        answer.state = InpOutState::Missing;
        break;
    case InpOutLoad::NotLoadable:
        answer.state = InpOutState::NotLoadable;
        answer.loadError = inpOut_.loadError();
        break;
    case InpOutLoad::LacksFunction:
        answer.state = InpOutState::LacksFunction;
        answer.missingFunction = inpOut_.missingFunction();
        break;
    case InpOutLoad::Loaded:
        answer.state = InpOutState::DriverNotOpen;
        if (inpOut_.driverOpen()) {
            answer.state = InpOutState::Ready;
            answer.port = &inpOut_;
        }
        break;
    }
    return answer;
}

void WindowsPlatform::showFatalError(const char* text)
{
    MessageBoxA(nullptr, text, FATAL_ERROR_CAPTION, MB_OK);
}

} // namespace zorik
