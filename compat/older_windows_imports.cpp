// The thread support that MinGW's C++ runtime links in statically calls a
// few kernel32 functions that older Windows lacks: GetTickCount64 (Vista
// on) and the vectored exception handler pair (XP on). Imported directly,
// the loader would refuse to start Zorik on the very systems it is built
// for. Defining their import slots here makes every such call go through a
// stand-in that looks the real function up at run time and falls back where
// it is missing.
#include <windows.h>

namespace {

FARPROC kernelFunction(const char* name)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}

template <class Function>
Function lookUp(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(kernelFunction(name)));
}

using TickCount64Fn = ULONGLONG(WINAPI*)();
using AddVectoredFn = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
using RemoveVectoredFn = ULONG(WINAPI*)(PVOID);

// Each stand-in looks the function up on every call: cheap next to what the
// callers do, and free of any lazily initialised state that would itself
// need the thread support being served here.

// Without the system's 64-bit count, widen the 32-bit one: callers only
// measure short intervals, which survive its wrap after 49.7 days.
ULONGLONG WINAPI tickCount64()
{
    const auto system = lookUp<TickCount64Fn>("GetTickCount64");
    return system ? system() : GetTickCount();
}

// Where vectored handlers do not exist, none is installed: the caller gets
// the documented failure result and goes on without.
PVOID WINAPI addVectoredExceptionHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler)
{
    const auto system = lookUp<AddVectoredFn>("AddVectoredExceptionHandler");
    return system ? system(first, handler) : nullptr;
}

ULONG WINAPI removeVectoredExceptionHandler(PVOID handle)
{
    const auto system = lookUp<RemoveVectoredFn>("RemoveVectoredExceptionHandler");
    return system && handle ? system(handle) : 0;
}

} // namespace

// The import slots the runtime's objects call through (i686 names:
// __imp_ + the decorated __stdcall name).
extern "C" {
TickCount64Fn zorik_imp_GetTickCount64 __asm__("__imp__GetTickCount64@0") = tickCount64;
AddVectoredFn zorik_imp_AddVectoredExceptionHandler __asm__("__imp__AddVectoredExceptionHandler@8") =
    addVectoredExceptionHandler;
RemoveVectoredFn zorik_imp_RemoveVectoredExceptionHandler __asm__(
    "__imp__RemoveVectoredExceptionHandler@4") = removeVectoredExceptionHandler;
}
