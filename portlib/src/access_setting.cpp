#include "access_setting.h"

#include "text_building.h"

namespace zorik {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// `text` from `first` to `end` is `word` (lower case), in any case.
bool spells(const char* first, const char* end, const char* word)
{
    for (; first != end; ++first, ++word) {
        if (*word == '\0' || lower(*first) != *word)
            return false;
    }
    return *word == '\0';
}

constexpr char CUT_SHORT_MARK[] = "...";
constexpr char WHAT_IS_ACCEPTED[] = " is not a way to the port (auto, giveio or inpout32)";
static_assert(sizeof PORT_SETTINGS_FILE - 1 + 2 + sizeof PORT_ACCESS_KEY - 1 + 1 + PORT_BASE_VALUE_CAPACITY - 1 +
                      sizeof CUT_SHORT_MARK - 1 + sizeof WHAT_IS_ACCEPTED <=
                  PORT_BASE_ERROR_CAPACITY,
              "PORT_BASE_ERROR_CAPACITY");

} // namespace

std::optional<AccessSetting> parseAccessSetting(const char* text)
{
    const char* first = text;
    const char* end = text + lengthOf(text);
    while (first != end && isBlank(*first))
        ++first;
    while (end != first && isBlank(end[-1]))
        --end;
    if (spells(first, end, "auto"))
        return AccessSetting::Auto;
    if (spells(first, end, "giveio"))
        return AccessSetting::Giveio;
    if (spells(first, end, "inpout32"))
        return AccessSetting::InpOut32;
    return std::nullopt;
}

void describeBadAccessSetting(const char* text, char (&message)[PORT_BASE_ERROR_CAPACITY])
{
    char* const end = message + PORT_BASE_ERROR_CAPACITY;
    char* at = append(message, end, PORT_SETTINGS_FILE);
    at = append(at, end, ": ");
    at = append(at, end, PORT_ACCESS_KEY);
    at = append(at, end, "=");
    at = append(at, end, text);
    if (lengthOf(text) >= PORT_BASE_VALUE_CAPACITY - 1)
        at = append(at, end, CUT_SHORT_MARK);
    append(at, end, WHAT_IS_ACCEPTED);
}

} // namespace zorik
