#include "port_base.h"

#include "text_building.h"

// Plain loops rather than the C library's string functions: the DLL is
// meant to link no runtime of its own.
namespace zorik {

namespace {

int digitValue(char c, std::uint32_t radix)
{
    int digit = -1;
    if (c >= '0' && c <= '9')
        digit = c - '0';
    else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
    return digit >= 0 && static_cast<std::uint32_t>(digit) < radix ? digit : -1;
}

bool filledTheReader(const char* text) { return lengthOf(text) >= PORT_BASE_VALUE_CAPACITY - 1; }

constexpr char WHAT_IS_ACCEPTED[] = " is not a parallel port base (0x100 to 0xFFFC, a multiple of 4)";
static_assert(badSettingFits(sizeof PORT_BASE_KEY, sizeof WHAT_IS_ACCEPTED), "PORT_BASE_ERROR_CAPACITY");

} // namespace

void describeBadSetting(const char* key, const char* text, const char* whatIsAccepted,
                        char (&message)[PORT_BASE_ERROR_CAPACITY])
{
    char* const end = message + PORT_BASE_ERROR_CAPACITY;
    char* at = append(message, end, PORT_SETTINGS_FILE);
    at = append(at, end, ": ");
    at = append(at, end, key);
    at = append(at, end, "=");
    at = append(at, end, text);
    if (filledTheReader(text))
        at = append(at, end, CUT_SHORT_MARK);
    append(at, end, whatIsAccepted);
}

std::optional<std::uint16_t> parsePortBase(const char* text)
{
    if (filledTheReader(text))
        return std::nullopt;
    const char* first = text;
    const char* end = text + lengthOf(text);
    skipBlanksAround(first, end);

    std::uint32_t radix = 10;
    if (end - first >= 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        radix = 16;
        first += 2;
    }
    if (first == end)
        return std::nullopt;

    std::uint32_t value = 0;
    for (const char* at = first; at != end; ++at) {
        const int digit = digitValue(*at, radix);
        if (digit < 0)
            return std::nullopt; // a sign, a blank inside, a suffix, a letter
        // Past the range the exact value no longer matters; stop before it
        // could wrap.
        if (value <= HIGHEST_PORT_BASE)
            value = value * radix + static_cast<std::uint32_t>(digit);
    }
    if (value < LOWEST_PORT_BASE || value > HIGHEST_PORT_BASE || value % 4 != 0)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

void describeUnicodeSettingsFile(const char* encoding, char (&message)[PORT_BASE_ERROR_CAPACITY])
{
    char* const end = message + PORT_BASE_ERROR_CAPACITY;
    char* at = append(message, end, PORT_SETTINGS_FILE);
    at = append(at, end, " is saved as ");
    at = append(at, end, encoding);
    append(at, end, ": save it as ANSI (Notepad: Save As, Encoding ANSI)");
}

void describeBadPortBase(const char* text, char (&message)[PORT_BASE_ERROR_CAPACITY])
{
    describeBadSetting(PORT_BASE_KEY, text, WHAT_IS_ACCEPTED, message);
}

} // namespace zorik
