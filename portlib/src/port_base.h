// The one setting of the library: which port the unit sits on, as the Base
// key of ZorikApi.ini gives it (parallel port cards on PCI or PCIe sit
// wherever the system put them, never at 0x378).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zorik {

inline constexpr char PORT_SETTINGS_FILE[] = "ZorikApi.ini";
inline constexpr char PORT_SETTINGS_SECTION[] = "Port";
inline constexpr char PORT_BASE_KEY[] = "Base";

// Every parallel port's base is a multiple of 4 in this range; the rule
// also catches the status port (base + 1) typed by mistake.
inline constexpr std::uint32_t LOWEST_PORT_BASE = 0x100;
inline constexpr std::uint32_t HIGHEST_PORT_BASE = 0xFFFC;

// Room for the value as read, its terminating zero included. A value that
// fills it may have been cut short, so it is refused rather than read as
// the number its first part spells.
inline constexpr std::size_t PORT_BASE_VALUE_CAPACITY = 64;
// Room for the operator's message about a bad value.
inline constexpr std::size_t PORT_BASE_ERROR_CAPACITY = 160;

// What the messages about a bad value add after one too long to have been
// read whole.
inline constexpr char CUT_SHORT_MARK[] = "...";

// Whether "ZorikApi.ini: <key>=<the longest value>...<whatIsAccepted>"
// fits the message whole; both sizes count their terminating zero.
constexpr bool badSettingFits(std::size_t keySize, std::size_t whatIsAcceptedSize)
{
    return sizeof PORT_SETTINGS_FILE - 1 + 2 + keySize - 1 + 1 + PORT_BASE_VALUE_CAPACITY - 1 +
               sizeof CUT_SHORT_MARK - 1 + whatIsAcceptedSize <=
           PORT_BASE_ERROR_CAPACITY;
}

// Moves `first` and `end` inward past the blanks and tabs around a value.
// Inline: a call would cost the DLL more than the two loops.
inline void skipBlanksAround(const char*& first, const char*& end)
{
    while (first != end && (*first == ' ' || *first == '\t'))
        ++first;
    while (end != first && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
}

// "ZorikApi.ini: <key>=<text><whatIsAccepted>", with "..." after a value
// too long to have been read whole.
void describeBadSetting(const char* key, const char* text, const char* whatIsAccepted,
                        char (&message)[PORT_BASE_ERROR_CAPACITY]);

// The data register's port for `text`: hexadecimal after 0x or 0X, else
// decimal, blanks around it allowed. Nothing for anything else: empty, not
// a number, a sign, characters after the number, out of range, not a
// multiple of 4, or too long to have been read whole.
std::optional<std::uint16_t> parsePortBase(const char* text);

// "ZorikApi.ini is saved as <encoding>: save it as ANSI (Notepad: Save
// As, Encoding ANSI)".
void describeUnicodeSettingsFile(const char* encoding, char (&message)[PORT_BASE_ERROR_CAPACITY]);

// "ZorikApi.ini: Base=<text> is not a parallel port base (0x100 to 0xFFFC,
// a multiple of 4)", with "..." after a value too long to have been read
// whole.
void describeBadPortBase(const char* text, char (&message)[PORT_BASE_ERROR_CAPACITY]);

} // namespace zorik
