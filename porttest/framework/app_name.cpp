#include "app_name.h"

#include <windows.h>

#include <cstring>

namespace {

// Filled on first use; the program's file does not change while it runs.
char g_appName[MAX_PATH];

} // namespace

const char* AfxGetAppName()
{
    if (g_appName[0] != '\0')
        return g_appName;
    // XP leaves a truncated path unterminated: keep the last byte for the zero.
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(::GetModuleHandleA(nullptr), path, MAX_PATH - 1);
    char* name = path;
    for (char* p = path; *p != '\0'; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    if (char* dot = std::strrchr(name, '.'); dot != nullptr && dot != name)
        *dot = '\0';
    std::strcpy(g_appName, name);
    return g_appName;
}
