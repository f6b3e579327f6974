#include "port_base.h"

#include "text_building.h"

// Plain loops rather than the C library's string functions: the DLL is
// meant to link no runtime of its own.
namespace zorik {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

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

constexpr char CUT_SHORT_MARK[] = "...";
constexpr char WHAT_IS_ACCEPTED[] = " is not a parallel port base (0x100 to 0xFFFC, a multiple of 4)";
// The longest message still fits whole.
static_assert(sizeof PORT_SETTINGS_FILE - 1 + 2 + sizeof PORT_BASE_KEY - 1 + 1 + PORT_BASE_VALUE_CAPACITY - 1 +
                      sizeof CUT_SHORT_MARK - 1 + sizeof WHAT_IS_ACCEPTED <=
                  PORT_BASE_ERROR_CAPACITY,
              "PORT_BASE_ERROR_CAPACITY");

} // namespace

std::optional<std::uint16_t> parsePortBase(const char* text)
{
    if (filledTheReader(text))
        return std::nullopt;
    const char* first = text;
    const char* end = text + lengthOf(text);
    while (first != end && isBlank(*first))
        ++first;
    while (end != first && isBlank(end[-1]))
        --end;

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
    char* const end = message + PORT_BASE_ERROR_CAPACITY;
    char* at = append(message, end, PORT_SETTINGS_FILE);
    at = append(at, end, ": ");
    at = append(at, end, PORT_BASE_KEY);
    at = append(at, end, "=");
    at = append(at, end, text);
    if (filledTheReader(text))
        at = append(at, end, CUT_SHORT_MARK);
    append(at, end, WHAT_IS_ACCEPTED);
}

} // namespace zorik
