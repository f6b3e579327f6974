#include "access_setting.h"

#include "text_building.h"

namespace zorik {

namespace {

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

constexpr char WHAT_IS_ACCEPTED[] = " is not a way to the port (auto, giveio or inpout32)";
static_assert(badSettingFits(sizeof PORT_ACCESS_KEY, sizeof WHAT_IS_ACCEPTED), "PORT_BASE_ERROR_CAPACITY");

} // namespace

std::optional<AccessSetting> parseAccessSetting(const char* text)
{
    const char* first = text;
    const char* end = text + lengthOf(text);
    skipBlanksAround(first, end);
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
    describeBadSetting(PORT_ACCESS_KEY, text, WHAT_IS_ACCEPTED, message);
}

} // namespace zorik
