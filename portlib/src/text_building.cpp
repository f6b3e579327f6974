#include "text_building.h"

namespace zorik {

std::size_t lengthOf(const char* text)
{
    std::size_t length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

char* append(char* at, char* end, const char* text)
{
    while (*text != '\0' && at + 1 < end)
        *at++ = *text++;
    *at = '\0';
    return at;
}

char* appendDecimal(char* at, char* end, std::uint32_t value)
{
    char digits[11];
    char* first = digits + sizeof digits - 1;
    *first = '\0';
    do {
        *--first = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return append(at, end, first);
}

} // namespace zorik
