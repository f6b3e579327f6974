#include "ini_port_settings.h"

#include "../access_setting.h"
#include "module_folder.h"

#include <windows.h>

namespace zorik {

namespace {

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

using SettingsPath = char[BESIDE_MODULE_PATH_CAPACITY];

// "<folder of the DLL>\ZorikApi.ini", or false when the DLL's own path
// cannot be had whole.
bool settingsFilePath(SettingsPath& path)
{
    return pathBesideModule(libraryModule(), PORT_SETTINGS_FILE, path);
}

} // namespace

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
    return readKey(PORT_BASE_KEY, value);
}

bool IniPortSettings::readAccess(char (&value)[PORT_BASE_VALUE_CAPACITY])
{
    return readKey(PORT_ACCESS_KEY, value);
}

bool IniPortSettings::readKey(const char* key, char (&value)[PORT_BASE_VALUE_CAPACITY])
{
    SettingsPath path;
    if (!settingsFilePath(path))
        return false;
    GetPrivateProfileStringA(PORT_SETTINGS_SECTION, key, NO_KEY, value, PORT_BASE_VALUE_CAPACITY, path);
    value[PORT_BASE_VALUE_CAPACITY - 1] = '\0';
    return !sameText(value, NO_KEY);
}

} // namespace zorik
