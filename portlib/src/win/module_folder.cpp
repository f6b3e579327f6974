#include "module_folder.h"

#include <windows.h>

namespace zorik {

namespace {

// Set while the loader holds its lock, before any of the library's
// functions can run.
void* g_libraryModule = nullptr;

} // namespace

void rememberLibraryModule(void* module)
{
    g_libraryModule = module;
}

void* libraryModule()
{
    return g_libraryModule;
}

bool pathBesideModule(void* module, const char* fileName, char (&path)[BESIDE_MODULE_PATH_CAPACITY],
                      char (*folder)[BESIDE_MODULE_PATH_CAPACITY])
{
    // XP does not terminate a path it had to cut: the last byte is kept for
    // the zero, and a path that comes near it counts as cut.
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), path, sizeof path - 1);
    if (length == 0 || length >= sizeof path - 2)
        return false;
    path[length] = '\0';
    // Walks by characters: in a double-byte code page the second byte of a
    // character may look like a backslash.
    char* folderEnd = path;
    for (char* at = path; *at != '\0'; at = CharNextA(at)) {
        if (*at == '\\' || *at == '/')
            folderEnd = at + 1;
    }
    std::size_t nameLength = 0;
    while (fileName[nameLength] != '\0')
        ++nameLength;
    if (static_cast<std::size_t>(folderEnd - path) + nameLength + 1 > sizeof path)
        return false;
    if (folder != nullptr) {
        char* to = *folder;
        for (const char* from = path; from != folderEnd; ++from)
            *to++ = *from;
        *to = '\0';
    }
    for (const char* name = fileName; *name != '\0'; ++name)
        *folderEnd++ = *name;
    *folderEnd = '\0';
    return true;
}

} // namespace zorik
