#include "ini_port_settings.h"

#include <windows.h>

namespace zorik {

namespace {

// Set while the loader holds its lock, before any of the functions can run.
HMODULE g_libraryModule = nullptr;

// What the profile function hands back when the file, the section or the
// key is missing. A value read from the file ends at its line's end, so it
// can never hold a line feed; an empty value comes back as "", distinct
// from this.
constexpr char NO_KEY[] = "<\n>";

bool sameText(const char* a, const char* b)
{
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// Room for any path the loader hands out (less than MAX_PATH characters)
// with the file name in place of the DLL's.
using SettingsPath = char[MAX_PATH + sizeof PORT_SETTINGS_FILE];

// "<folder of the DLL>\ZorikApi.ini", or false when the DLL's own path
// cannot be had whole.
bool settingsFilePath(SettingsPath& path)
{
    // XP does not terminate a path it had to cut: the last byte is kept for
    // the zero, and a path that comes near it counts as cut.
    const DWORD length = GetModuleFileNameA(g_libraryModule, path, sizeof path - 1);
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
    if (static_cast<std::size_t>(folderEnd - path) + sizeof PORT_SETTINGS_FILE > sizeof path)
        return false;
    for (const char* name = PORT_SETTINGS_FILE; *name != '\0'; ++name)
        *folderEnd++ = *name;
    *folderEnd = '\0';
    return true;
}

} // namespace

void rememberLibraryModule(void* module)
{
    g_libraryModule = static_cast<HMODULE>(module);
}

const char* IniPortSettings::unicodeEncoding()
{
    SettingsPath path;
    if (!settingsFilePath(path))
        return nullptr;
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    unsigned char start[3] = {};
    DWORD length = 0;
    if (!ReadFile(file, start, sizeof start, &length, nullptr))
        length = 0;
    CloseHandle(file);
    if (length == 3 && start[0] == 0xEF && start[1] == 0xBB && start[2] == 0xBF)
        return "UTF-8";
    if (length >= 2 && start[0] == 0xFF && start[1] == 0xFE)
        return "Unicode";
    if (length >= 2 && start[0] == 0xFE && start[1] == 0xFF)
        return "Unicode big endian";
    return nullptr;
}

bool IniPortSettings::readBase(char (&value)[PORT_BASE_VALUE_CAPACITY])
{
    SettingsPath path;
    if (!settingsFilePath(path))
        return false;
    GetPrivateProfileStringA(PORT_SETTINGS_SECTION, PORT_BASE_KEY, NO_KEY, value, PORT_BASE_VALUE_CAPACITY, path);
    value[PORT_BASE_VALUE_CAPACITY - 1] = '\0';
    return !sameText(value, NO_KEY);
}

} // namespace zorik
