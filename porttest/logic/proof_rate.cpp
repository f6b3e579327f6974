#include "proof_rate.h"

#include "loopback_waits.h"
#include "summary_line.h"

#include <cmath>

namespace zorik {

bool parseRate(const std::string& text, std::uint32_t& hundredths)
{
    std::size_t end = text.size();
    if (end != 0 && text[end - 1] == '%')
        --end;
    std::uint32_t value = 0;
    int decimals = -1; // digits after the point; -1 before it
    bool digits = false;
    for (std::size_t i = 0; i < end; ++i) {
        const char c = text[i];
        if (c == '.' && decimals < 0 && digits) {
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9' || decimals >= 2)
            return false;
        if (decimals >= 0)
            ++decimals;
        digits = true;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        if (value > 100000)
            return false;
    }
    if (!digits || decimals == 0) // "" or "5."
        return false;
    for (int d = decimals < 0 ? 0 : decimals; d < 2; ++d)
        value *= 10;
    if (value < kFewestRateHundredths || value > kMostRateHundredths)
        return false;
    hundredths = value;
    return true;
}

std::string formatRate(std::uint32_t hundredths)
{
    std::string text;
    appendDecimal(text, hundredths / 100);
    const std::uint32_t fraction = hundredths % 100;
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}

std::uint32_t cyclesToProve(std::uint32_t hundredths)
{
    const double rate = hundredths / 10000.0;
    return static_cast<std::uint32_t>(std::ceil(std::log(0.05) / std::log(1.0 - rate)));
}

std::uint32_t secondsToProve(std::uint32_t hundredths)
{
    const std::uint64_t cycleMs = 3u * (SETTLE_DELAY_MS + CHANNEL_GAP_MS);
    return static_cast<std::uint32_t>((cyclesToProve(hundredths) - 1u) * cycleMs / 1000u + 1u);
}

RunEnded rateEnd(std::uint32_t n, std::uint32_t cycles, std::uint64_t fewestReadings,
                 std::uint64_t disagreements, bool everyInputNamed)
{
    if (disagreements == 0 && fewestReadings >= n)
        return RunEnded::Proved;
    if (disagreements != 0 && everyInputNamed)
        return RunEnded::Finding;
    if (std::uint64_t{cycles} >= std::uint64_t{n} * 3u)
        return RunEnded::Bound;
    return RunEnded::None;
}

RunEnded ProofRule::ended(std::uint32_t cycles) const
{
    std::uint64_t fewest = ~std::uint64_t{0};
    std::uint64_t disagreements = 0;
    bool named = true;
    for (int c = 0; c < Diagnosis::kInputs; ++c) {
        const InputFinding input = m_diagnosis.input(c);
        if (input.readings < fewest)
            fewest = input.readings;
        disagreements += input.disagreements;
        named = named && input.finding != Finding::Undetermined;
    }
    return rateEnd(m_n, cycles, fewest, disagreements, named);
}

} // namespace zorik
