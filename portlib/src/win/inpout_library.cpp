#include "inpout_library.h"

#include <windows.h>

namespace zorik {

namespace {

// The library's API: all __stdcall (WINAPI), exported undecorated.
using DriverOpenFunction = BOOL(WINAPI*)();
using ReadFunction = UCHAR(WINAPI*)(USHORT port);
using WriteFunction = void(WINAPI*)(USHORT port, UCHAR value);

template <typename To, typename From>
To functionCast(From function)
{
    // GetProcAddress's type says nothing of the function's; the one named
    // in the library's documentation is the one called.
    return reinterpret_cast<To>(reinterpret_cast<void (*)()>(function));
}

} // namespace

InpOutLoad InpOutLibrary::load(void* besideModule, const char* fileName)
{
    if (module_ != nullptr && read_ != nullptr)
        return InpOutLoad::Loaded;
    loadError_ = 0;
    missingFunction_ = nullptr;
    if (!pathBesideModule(besideModule, fileName, path_, &folder_)) {
        path_[0] = '\0';
        folder_[0] = '\0';
        return InpOutLoad::Missing;
    }
    if (GetFileAttributesA(path_) == INVALID_FILE_ATTRIBUTES)
        return InpOutLoad::Missing;

    if (module_ == nullptr) {
        // A file that is no DLL of this processor, or one whose own imports
        // are missing, must come back as an error code, never as the
        // system's box in front of the operator. The altered search path
        // makes the library's own imports be looked for in its folder first.
        const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        HMODULE module = LoadLibraryExA(path_, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        loadError_ = module == nullptr ? GetLastError() : 0;
        SetErrorMode(oldMode);
        if (module == nullptr)
            return InpOutLoad::NotLoadable;
        module_ = module;
    }

    const HMODULE module = static_cast<HMODULE>(module_);
    const struct {
        const char* name;
        Function* to;
    } functions[] = {
        {INPOUT_DRIVER_OPEN_FUNCTION, &driverOpen_},
        {INPOUT_READ_FUNCTION, &read_},
        {INPOUT_WRITE_FUNCTION, &write_},
    };
    for (const auto& function : functions) {
        *function.to = functionCast<Function>(GetProcAddress(module, function.name));
        if (*function.to == nullptr) {
            missingFunction_ = function.name;
            // Nothing of a library lacking a function is ever called.
            driverOpen_ = read_ = write_ = nullptr;
            return InpOutLoad::LacksFunction;
        }
    }
    return InpOutLoad::Loaded;
}

bool InpOutLibrary::driverOpen() const
{
    return driverOpen_ != nullptr && functionCast<DriverOpenFunction>(driverOpen_)() != FALSE;
}

std::uint8_t InpOutLibrary::readByte(std::uint16_t port)
{
    return functionCast<ReadFunction>(read_)(port);
}

void InpOutLibrary::writeByte(std::uint16_t port, std::uint8_t value)
{
    functionCast<WriteFunction>(write_)(port, value);
}

} // namespace zorik
