#include "system_libraries.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace zorik::wine {

bool isMingwRuntime(const std::string& library)
{
    std::string name = library;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* runtime : {"libstdc++", "libgcc", "libwinpthread"})
        if (name.find(runtime) != std::string::npos)
            return true;
    return false;
}

bool inSystemDirectory(const std::string& library)
{
    char directory[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const std::string path = std::string(directory) + "\\" + library;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace zorik::wine
