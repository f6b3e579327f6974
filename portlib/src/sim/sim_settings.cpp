#include "sim_settings.h"

#include <limits>

namespace zorik::sim {

SimSettings::SimSettings()
{
    for (int c = 0; c < INPUT_COUNT; ++c)
        inputs[c].source = c;
}

namespace {

// The ways one input can be faulted; each may be given once per input.
enum Kind { STUCK, CROSSED, FLAKY, SLOW, INVERTED, SLOW_RISE, SLOW_FALL, KIND_COUNT };
constexpr const char* KIND_WORD[KIND_COUNT] = {"stuck",    "crossed",   "flaky",    "slow",
                                               "inverted", "slow-rise", "slow-fall"};

std::string_view trim(std::string_view s)
{
    const auto blank = [](char ch) { return ch == ' ' || ch == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

// Plain decimal digits only: no sign, no blanks, no hexadecimal.
bool parseNumber(std::string_view text, std::uint64_t max, std::uint64_t& value)
{
    if (text.empty())
        return false;
    std::uint64_t result = 0;
    for (char ch : text) {
        if (!isDigit(ch))
            return false;
        const unsigned digit = static_cast<unsigned>(ch - '0');
        if (digit > max || result > (max - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

bool parseChannel(std::string_view text, int& channel)
{
    std::uint64_t value = 0;
    if (!parseNumber(text, INPUT_COUNT - 1, value))
        return false;
    channel = static_cast<int>(value);
    return true;
}

// "5%", "2.5%", "100%" in parts per million. Parsed by hand so that 0 and
// 100 are exact and the C locale's decimal point does not matter.
bool parsePercent(std::string_view text, std::uint32_t& ppm)
{
    if (text.empty() || text.back() != '%')
        return false;
    text.remove_suffix(1);
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (point != std::string_view::npos && fraction.empty())
        return false;
    if (fraction.size() > 4)
        return false;
    std::uint64_t wholeValue = 0;
    std::uint64_t fractionValue = 0;
    if (!parseNumber(whole, 100, wholeValue))
        return false;
    if (!fraction.empty() && !parseNumber(fraction, 9999, fractionValue))
        return false;
    for (std::size_t digits = fraction.size(); digits < 4; ++digits)
        fractionValue *= 10;
    const std::uint64_t value = wholeValue * 10000 + fractionValue; // ten-thousandths of a percent
    if (value > 100 * 10000)
        return false;
    ppm = static_cast<std::uint32_t>(value);
    return true;
}

// Splits "key=value"; `value` keeps any further '=' for the item's own check.
bool splitAt(std::string_view text, char separator, std::string_view& left, std::string_view& right)
{
    const auto at = text.find(separator);
    if (at == std::string_view::npos)
        return false;
    left = text.substr(0, at);
    right = text.substr(at + 1);
    return true;
}

// "C:REST": an input, a colon and the rest for the item's own check.
bool splitChannel(std::string_view value, int& channel, std::string_view& rest)
{
    std::string_view input;
    return splitAt(value, ':', input, rest) && parseChannel(input, channel);
}

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

class Parser;

// One item of the settings: how it is written, what its value may be and
// what it sets.
struct Keyword {
    const char* form;   // "stuck-on=C": the keyword, then its value's shape
    const char* detail; // what the value may be, with an example; nullptr: no value
    bool (Parser::*apply)(std::string_view text, std::string_view value);
};

class Parser {
public:
    // Returns false and sets error_ at the first bad item.
    bool item(std::string_view text, std::size_t position);

    const SimSettings& settings() const { return settings_; }
    const std::string& error() const { return error_; }

    bool healthy(std::string_view text, std::string_view value);
    bool absent(std::string_view text, std::string_view value);
    bool noGiveio(std::string_view text, std::string_view value);
    bool stuckOn(std::string_view text, std::string_view value);
    bool stuckOff(std::string_view text, std::string_view value);
    bool cross(std::string_view text, std::string_view value);
    bool flaky(std::string_view text, std::string_view value);
    bool slow(std::string_view text, std::string_view value);
    bool invert(std::string_view text, std::string_view value);
    bool crossInvert(std::string_view text, std::string_view value);
    bool bridge(std::string_view text, std::string_view value);
    bool slowRise(std::string_view text, std::string_view value);
    bool slowFall(std::string_view text, std::string_view value);
    bool glitch(std::string_view text, std::string_view value);
    bool seed(std::string_view text, std::string_view value);
    bool crash(std::string_view text, std::string_view value);

private:
    bool fail(std::string message)
    {
        error_ = std::string(SETTINGS_VARIABLE) + ": " + std::move(message);
        return false;
    }
    // The item's value does not have its keyword's form.
    bool malformed(std::string_view text);
    bool conflict(std::string_view text, const std::string& earlier, const char* why)
    {
        return fail("item " + quoted(text) + " conflicts with " + quoted(earlier) + why);
    }
    bool once(std::string& seen, std::string_view text);
    bool unitState(std::string_view text, std::string& item, const std::string& opposite,
                   const char* faultClash);
    bool stuck(std::string_view text, std::string_view value, Stuck how);
    bool channelFault(std::string_view text, int channel, Kind kind);
    bool edgeDelay(std::string_view text, std::string_view value, Kind kind);

    const Keyword* keyword_ = nullptr; // of the item being read
    SimSettings settings_;
    std::string error_;
    std::string healthyItem_, absentItem_, giveioItem_, seedItem_, crashItem_;
    std::string firstFault_; // any channel fault, for the clash with healthy or absent
    std::string faultItem_[INPUT_COUNT][KIND_COUNT];
};

constexpr char PLACEHOLDERS[] = " (C, A, B, J and K are inputs 0, 1 or 2)";
constexpr char NOT_BOTH[] = ": the unit cannot be both healthy and absent";
constexpr char HEALTHY_HAS_NO_FAULT[] = ": a healthy unit has no faulty input";
constexpr char ABSENT_HAS_NO_INPUT[] = ": an absent unit has no input to fault";

constexpr Keyword KEYWORDS[] = {
    {"healthy", nullptr, &Parser::healthy},
    {"absent", nullptr, &Parser::absent},
    {"no-giveio", nullptr, &Parser::noGiveio},
    {"stuck-on=C", "with C 0, 1 or 2, e.g. stuck-on=1", &Parser::stuckOn},
    {"stuck-off=C", "with C 0, 1 or 2, e.g. stuck-off=1", &Parser::stuckOff},
    {"cross=A:B", "with A and B two different inputs 0, 1 or 2, e.g. cross=0:2", &Parser::cross},
    {"flaky=C:P%",
     "with C 0, 1 or 2 and P a percentage from 0 to 100 with at most 4 decimals, e.g. flaky=2:5%",
     &Parser::flaky},
    {"slow=C:MS", "with C 0, 1 or 2 and MS whole milliseconds from 0 to 60000, e.g. slow=1:25",
     &Parser::slow},
    {"invert=C", "with C 0, 1 or 2, e.g. invert=1", &Parser::invert},
    {"seed=N", "with N a whole number from 0 to 18446744073709551615, e.g. seed=42", &Parser::seed},
    {"crash=N", "with N a whole number from 1 to 18446744073709551615, e.g. crash=20", &Parser::crash},
    {"cross-invert=C:K", "with C and K two different inputs 0, 1 or 2, e.g. cross-invert=1:0",
     &Parser::crossInvert},
    {"bridge=C:J:K:and|or",
     "with C, J and K inputs 0, 1 or 2, J and K different, then and or or, e.g. bridge=1:1:2:and",
     &Parser::bridge},
    {"slow-rise=C:MS", "with C 0, 1 or 2 and MS whole milliseconds from 1 to 60000, e.g. slow-rise=1:25",
     &Parser::slowRise},
    {"slow-fall=C:MS", "with C 0, 1 or 2 and MS whole milliseconds from 1 to 60000, e.g. slow-fall=1:25",
     &Parser::slowFall},
    {"glitch=C:N",
     "with C 0, 1 or 2 and N the status read to get wrong, from 1 to 18446744073709551615, e.g. glitch=0:598",
     &Parser::glitch},
};

std::string_view keywordOf(const Keyword& keyword)
{
    const std::string_view form = keyword.form;
    return form.substr(0, form.find('='));
}

std::string accepted()
{
    std::string list = "accepted items: ";
    for (const Keyword& keyword : KEYWORDS) {
        if (&keyword != KEYWORDS)
            list += ", ";
        list += keyword.form;
    }
    return list + PLACEHOLDERS;
}

bool Parser::item(std::string_view raw, std::size_t position)
{
    const std::string_view text = trim(raw);
    if (text.empty())
        return fail("empty item at position " + std::to_string(position) +
                    "; separate items with single commas; " + accepted());

    std::string_view key = text, value;
    const bool hasValue = splitAt(text, '=', key, value);
    for (const Keyword& keyword : KEYWORDS) {
        if (key != keywordOf(keyword))
            continue;
        keyword_ = &keyword;
        if (!keyword.detail && hasValue)
            return fail("bad item " + quoted(text) + ": expected " + std::string(key) + " without a value");
        return (this->*keyword.apply)(text, value);
    }
    return fail("unknown item " + quoted(text) + "; " + accepted());
}

bool Parser::malformed(std::string_view text)
{
    return fail("bad item " + quoted(text) + ": expected " + keyword_->form + " " + keyword_->detail);
}

bool Parser::once(std::string& seen, std::string_view text)
{
    if (!seen.empty())
        return fail("item " + quoted(text) + " is given twice");
    seen = std::string(text);
    return true;
}

// Healthy and absent exclude each other and every channel fault.
bool Parser::unitState(std::string_view text, std::string& item, const std::string& opposite,
                       const char* faultClash)
{
    if (!once(item, text))
        return false;
    if (!opposite.empty())
        return conflict(text, opposite, NOT_BOTH);
    if (!firstFault_.empty())
        return conflict(text, firstFault_, faultClash);
    return true;
}

bool Parser::healthy(std::string_view text, std::string_view)
{
    return unitState(text, healthyItem_, absentItem_, HEALTHY_HAS_NO_FAULT);
}

bool Parser::absent(std::string_view text, std::string_view)
{
    if (!unitState(text, absentItem_, healthyItem_, ABSENT_HAS_NO_INPUT))
        return false;
    settings_.unitPresent = false;
    return true;
}

bool Parser::noGiveio(std::string_view text, std::string_view)
{
    if (!once(giveioItem_, text))
        return false;
    settings_.giveioPresent = false;
    return true;
}

bool Parser::channelFault(std::string_view text, int channel, Kind kind)
{
    std::string& earlier = faultItem_[channel][kind];
    if (!earlier.empty())
        return fail("item " + quoted(text) + " conflicts with " + quoted(earlier) + ": input " +
                    std::to_string(channel) + " can be " + KIND_WORD[kind] + " only once");
    if (!healthyItem_.empty())
        return conflict(text, healthyItem_, HEALTHY_HAS_NO_FAULT);
    if (!absentItem_.empty())
        return conflict(text, absentItem_, ABSENT_HAS_NO_INPUT);
    earlier = std::string(text);
    if (firstFault_.empty())
        firstFault_ = std::string(text);
    return true;
}

bool Parser::stuck(std::string_view text, std::string_view value, Stuck how)
{
    int channel = 0;
    if (!parseChannel(value, channel))
        return malformed(text);
    if (!channelFault(text, channel, STUCK))
        return false;
    settings_.inputs[channel].stuck = how;
    return true;
}

bool Parser::stuckOn(std::string_view text, std::string_view value)
{
    return stuck(text, value, Stuck::On);
}

bool Parser::stuckOff(std::string_view text, std::string_view value)
{
    return stuck(text, value, Stuck::Off);
}

bool Parser::cross(std::string_view text, std::string_view value)
{
    std::string_view second;
    int channel = 0;
    int other = 0;
    if (!splitChannel(value, channel, second) || !parseChannel(second, other) || channel == other)
        return malformed(text);
    if (!channelFault(text, channel, CROSSED) || !channelFault(text, other, CROSSED))
        return false;
    settings_.inputs[channel].source = other;
    settings_.inputs[other].source = channel;
    return true;
}

bool Parser::flaky(std::string_view text, std::string_view value)
{
    std::string_view rate;
    int channel = 0;
    std::uint32_t ppm = 0;
    if (!splitChannel(value, channel, rate) || !parsePercent(rate, ppm))
        return malformed(text);
    if (!channelFault(text, channel, FLAKY))
        return false;
    settings_.inputs[channel].errorRatePpm = ppm;
    return true;
}

bool Parser::slow(std::string_view text, std::string_view value)
{
    std::string_view delay;
    int channel = 0;
    std::uint64_t ms = 0;
    if (!splitChannel(value, channel, delay) || !parseNumber(delay, MAX_DELAY_MS, ms))
        return malformed(text);
    if (!channelFault(text, channel, SLOW))
        return false;
    settings_.inputs[channel].delayMs = static_cast<std::uint32_t>(ms);
    return true;
}

bool Parser::invert(std::string_view text, std::string_view value)
{
    int channel = 0;
    if (!parseChannel(value, channel))
        return malformed(text);
    if (!channelFault(text, channel, INVERTED))
        return false;
    settings_.inputs[channel].inverted = true;
    return true;
}

bool Parser::crossInvert(std::string_view text, std::string_view value)
{
    std::string_view second;
    int channel = 0;
    int other = 0;
    if (!splitChannel(value, channel, second) || !parseChannel(second, other) || channel == other)
        return malformed(text);
    if (!channelFault(text, channel, CROSSED))
        return false;
    settings_.inputs[channel].source = other;
    settings_.inputs[channel].sourceInverted = true;
    return true;
}

bool Parser::bridge(std::string_view text, std::string_view value)
{
    std::string_view rest, second, how;
    int channel = 0;
    int first = 0;
    int other = 0;
    if (!splitChannel(value, channel, rest) || !splitChannel(rest, first, second) ||
        !splitChannel(second, other, how) || first == other || (how != "and" && how != "or"))
        return malformed(text);
    if (!channelFault(text, channel, CROSSED))
        return false;
    settings_.inputs[channel].source = first < other ? first : other;
    settings_.inputs[channel].bridgedWith = first < other ? other : first;
    settings_.inputs[channel].bridgeOr = how == "or";
    return true;
}

bool Parser::edgeDelay(std::string_view text, std::string_view value, Kind kind)
{
    std::string_view delay;
    int channel = 0;
    std::uint64_t ms = 0;
    if (!splitChannel(value, channel, delay) || !parseNumber(delay, MAX_DELAY_MS, ms) || ms == 0)
        return malformed(text);
    if (!channelFault(text, channel, kind))
        return false;
    (kind == SLOW_RISE ? settings_.inputs[channel].riseDelayMs : settings_.inputs[channel].fallDelayMs) =
        static_cast<std::uint32_t>(ms);
    return true;
}

bool Parser::slowRise(std::string_view text, std::string_view value)
{
    return edgeDelay(text, value, SLOW_RISE);
}

bool Parser::slowFall(std::string_view text, std::string_view value)
{
    return edgeDelay(text, value, SLOW_FALL);
}

bool Parser::glitch(std::string_view text, std::string_view value)
{
    std::string_view number;
    int channel = 0;
    std::uint64_t read = 0;
    if (!splitChannel(value, channel, number) ||
        !parseNumber(number, std::numeric_limits<std::uint64_t>::max(), read) || read == 0)
        return malformed(text);
    if (!healthyItem_.empty())
        return conflict(text, healthyItem_, HEALTHY_HAS_NO_FAULT);
    if (!absentItem_.empty())
        return conflict(text, absentItem_, ABSENT_HAS_NO_INPUT);
    std::uint64_t (&reads)[MAX_GLITCHES] = settings_.inputs[channel].glitchReads;
    int count = 0;
    while (count < MAX_GLITCHES && reads[count] != 0) {
        if (reads[count] == read)
            return fail("item " + quoted(text) + " is given twice");
        ++count;
    }
    if (count == MAX_GLITCHES)
        return fail("item " + quoted(text) + ": input " + std::to_string(channel) + " can have at most " +
                    std::to_string(MAX_GLITCHES) + " glitch items");
    reads[count] = read;
    if (firstFault_.empty())
        firstFault_ = std::string(text);
    return true;
}

bool Parser::seed(std::string_view text, std::string_view value)
{
    std::uint64_t seed = 0;
    if (!parseNumber(value, std::numeric_limits<std::uint64_t>::max(), seed))
        return malformed(text);
    if (!seedItem_.empty())
        return conflict(text, seedItem_, ": the seed can be given only once");
    seedItem_ = std::string(text);
    settings_.seed = seed;
    return true;
}

bool Parser::crash(std::string_view text, std::string_view value)
{
    std::uint64_t read = 0;
    if (!parseNumber(value, std::numeric_limits<std::uint64_t>::max(), read) || read == 0)
        return malformed(text);
    if (!once(crashItem_, text))
        return false;
    settings_.crashAtRead = read;
    return true;
}

} // namespace

ParsedSimSettings parseSimSettings(std::string_view text)
{
    ParsedSimSettings result;
    if (trim(text).empty()) {
        result.settings.emplace();
        return result;
    }
    Parser parser;
    std::size_t position = 1;
    for (;;) {
        const auto comma = text.find(',');
        if (!parser.item(text.substr(0, comma), position)) {
            result.error = parser.error();
            return result;
        }
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
        ++position;
    }
    result.settings = parser.settings();
    return result;
}

} // namespace zorik::sim
