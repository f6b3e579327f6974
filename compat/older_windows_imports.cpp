// The C++ runtime that Zorik.exe links statically names three kernel32
// functions in their Unicode form: CreateSemaphoreW (the lock behind its
// thread-local data) and GetModuleHandleW / LoadLibraryW (the random source
// of std::random_device, which the program never uses). The Windows 9x
// kernel implements few Unicode functions, and no documentation shows these
// three among them; imported directly, they could keep the loader from
// starting Zorik on Windows 98 and Me. Defining their import slots here
// makes every such call go through a stand-in, so the image imports none of
// them.
#include <windows.h>

namespace {

template <class Function>
Function lookUp(const char* name)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC found = kernel ? GetProcAddress(kernel, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

using CreateSemaphoreWFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR);
using ModuleByWideNameFn = HMODULE(WINAPI*)(LPCWSTR);

// The runtime makes only unnamed semaphores, and for those the ANSI call,
// which every Windows has, is the same call. A named one goes to the
// system's own function where there is one.
HANDLE WINAPI createSemaphore(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum,
                              LPCWSTR name)
{
    if (name == nullptr)
        return CreateSemaphoreA(attributes, initial, maximum, nullptr);
    const auto system = lookUp<CreateSemaphoreWFn>("CreateSemaphoreW");
    if (system)
        return system(attributes, initial, maximum, name);
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}

// Looked up on every call: these are called at most once, for a random
// source the program does not use. Where they are missing the caller gets
// the documented failure result.
template <const char* Name>
HMODULE WINAPI moduleByWideName(LPCWSTR file)
{
    const auto system = lookUp<ModuleByWideNameFn>(Name);
    if (system)
        return system(file);
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}

constexpr char kGetModuleHandleW[] = "GetModuleHandleW";
constexpr char kLoadLibraryW[] = "LoadLibraryW";

} // namespace

// The import slots the runtime's objects call through (i686 names:
// __imp__ + the decorated __stdcall name).
extern "C" {
CreateSemaphoreWFn zorik_imp_CreateSemaphoreW __asm__("__imp__CreateSemaphoreW@16") = createSemaphore;
ModuleByWideNameFn zorik_imp_GetModuleHandleW __asm__("__imp__GetModuleHandleW@4") =
    moduleByWideName<kGetModuleHandleW>;
ModuleByWideNameFn zorik_imp_LoadLibraryW __asm__("__imp__LoadLibraryW@4") =
    moduleByWideName<kLoadLibraryW>;
}
