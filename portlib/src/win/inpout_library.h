// InpOut32's library, the way to the I/O ports on Windows where no giveio
// driver can load (every 64-bit Windows): `inpout32.dll` for a 32-bit
// process, also under WOW64, `inpoutx64.dll` for a 64-bit one. Its signed
// kernel driver grants the ports; the library's byte functions reach them.
// Loaded at run time, so that an image that may use it still loads on
// Windows 98 and NT 4.0 without it; plain Win32, built for x86 and x86-64.
#pragma once

#include "../port_io.h"
#include "module_folder.h"

#include <cstdint>

namespace zorik {

inline constexpr char INPOUT32_FILE[] = "inpout32.dll";
inline constexpr char INPOUTX64_FILE[] = "inpoutx64.dll";
// The one this process can load: a process loads only DLLs of its own
// processor.
#ifdef _WIN64
inline constexpr const char* THIS_PROCESS_INPOUT_FILE = INPOUTX64_FILE;
#else
inline constexpr const char* THIS_PROCESS_INPOUT_FILE = INPOUT32_FILE;
#endif

// The library's functions this code calls, by their exported names.
inline constexpr char INPOUT_DRIVER_OPEN_FUNCTION[] = "IsInpOutDriverOpen";
inline constexpr char INPOUT_READ_FUNCTION[] = "DlPortReadPortUchar";
inline constexpr char INPOUT_WRITE_FUNCTION[] = "DlPortWritePortUchar";

enum class InpOutLoad {
    Loaded,        // every function resolved
    Missing,       // no such file beside the module (or its folder unknown)
    NotLoadable,   // the file is there, but the loader refused it: loadError()
    LacksFunction, // loaded, but a function is not exported: missingFunction()
};

// One process's InpOut library. Constant-initialised, so that a DLL that
// runs no start-up code may hold one as a global.
class InpOutLibrary final : public PortIo {
public:
    // Loads `fileName` from the folder of `besideModule` by its full path:
    // never from the current directory, the program's folder or PATH,
    // where a planted DLL would run inside the caller. Once loaded, it
    // stays for the life of the process (it could only be freed from
    // DllMain, where FreeLibrary must not be called), and later calls
    // answer Loaded at once; any other answer is looked for again.
    InpOutLoad load(void* besideModule, const char* fileName);

    // IsInpOutDriverOpen's answer, asked anew on each call: nonzero when the
    // driver is open and port calls will work. False before a load.
    bool driverOpen() const;

    // The file looked for and its folder (with a trailing backslash);
    // empty when the module's own path could not be had.
    const char* path() const { return path_; }
    const char* folder() const { return folder_; }
    // After NotLoadable: the system's error code (193, ERROR_BAD_EXE_FORMAT,
    // for a 64-bit DLL or a file that is no DLL at all).
    std::uint32_t loadError() const { return loadError_; }
    // After LacksFunction: the first function not found.
    const char* missingFunction() const { return missingFunction_; }

    // One byte through DlPortReadPortUchar / DlPortWritePortUchar, the port
    // as an unsigned 16-bit number. Only after a load that answered Loaded.
    std::uint8_t readByte(std::uint16_t port) override;
    void writeByte(std::uint16_t port, std::uint8_t value) override;

private:
    using Function = void (*)();

    void* module_ = nullptr;
    Function driverOpen_ = nullptr;
    Function read_ = nullptr;
    Function write_ = nullptr;
    std::uint32_t loadError_ = 0;
    const char* missingFunction_ = nullptr;
    char path_[BESIDE_MODULE_PATH_CAPACITY] = {};
    char folder_[BESIDE_MODULE_PATH_CAPACITY] = {};
};

} // namespace zorik
