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
    // The name runs from the last separator to the last dot after it.
    const char* name = path;
    const char* dot = nullptr;
    const char* end = path;
    for (; *end != '\0'; ++end) {
        if (*end == '\\' || *end == '/' || *end == ':') {
            name = end + 1;
            dot = nullptr;
        } else if (*end == '.' && end != name) {
            dot = end;
        }
    }
    const std::size_t length = static_cast<std::size_t>((dot != nullptr ? dot : end) - name);
    std::memcpy(g_appName, name, length);
    g_appName[length] = '\0';
    return g_appName;
}
