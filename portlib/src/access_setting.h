// The library's second setting: which way to the ports the NT family
// takes, as the Access key of ZorikApi.ini's [Port] section gives it.
#pragma once

#include "port_base.h"

#include <optional>

namespace zorik {

inline constexpr char PORT_ACCESS_KEY[] = "Access";

enum class AccessSetting {
    Auto,     // giveio where its driver answers, else InpOut32's inpout32.dll
    Giveio,   // giveio only: inpout32.dll is never loaded
    InpOut32, // inpout32.dll only, even where giveio would answer
};

// The setting for `text`: auto, giveio or inpout32, in any case, blanks
// around it allowed. Nothing for anything else, the empty value included.
std::optional<AccessSetting> parseAccessSetting(const char* text);

// "ZorikApi.ini: Access=<text> is not a way to the port (auto, giveio or
// inpout32)", with "..." after a value too long to have been read whole.
void describeBadAccessSetting(const char* text, char (&message)[PORT_BASE_ERROR_CAPACITY]);

} // namespace zorik
