// /rate:P: the shortest test that proves a unit. A unit passes once every
// input has n readings without an exception, n = ceil(ln 0.05 / ln(1 - P)):
// had its error rate been P or more, n clean readings would have come with
// a chance below 5 %, so the rate is below P with 95 % confidence. A unit
// that disagrees fails, and its test ends as soon as every input's finding
// is named, or at 3n cycles, whichever comes first.
#pragma once

#include "diagnosis.h"

#include <cstdint>
#include <string>

namespace zorik {

// P in hundredths of a percent: 10 (0.1 %) to 5000 (50 %).
constexpr std::uint32_t kFewestRateHundredths = 10;
constexpr std::uint32_t kMostRateHundredths = 5000;

// "5", "5%", "0.1", "12.25%": a percentage from 0.1 to 50 with at most two
// decimals, "." as the decimal point. False for anything else.
bool parseRate(const std::string& text, std::uint32_t& hundredths);
// "5", "0.1", "12.25": the rate as a person writes it.
std::string formatRate(std::uint32_t hundredths);

// n: the clean readings per input that prove the rate.
std::uint32_t cyclesToProve(std::uint32_t hundredths);
// The fewest seconds of testing in which n cycles can run: each cycle
// lasts at least three settles and three gaps (loopback_waits.h), and the
// n-th must begin before the time is up.
std::uint32_t secondsToProve(std::uint32_t hundredths);

// What the rate's rule says of a run (result_file.h's RunEnding has the
// result file's words for them). None: it goes on.
enum class RunEnded { None, Proved, Finding, Bound };

// The rate's rule after `cycles` cycles, before the next one begins:
// Proved once every input has `n` readings and no reading disagreed;
// Finding once a reading disagreed and every input's finding is named;
// Bound at 3n cycles.
RunEnded rateEnd(std::uint32_t n, std::uint32_t cycles, std::uint64_t fewestReadings,
                 std::uint64_t disagreements, bool everyInputNamed);

// What the worker asks before each cycle, besides the run's bounds.
class EndRule {
public:
    virtual ~EndRule() = default;
    virtual bool reached(std::uint32_t cycles) const = 0;
};

// The rate's rule on the run's diagnosis, which counts every reading and
// disagreement of each input (any thread).
class ProofRule final : public EndRule {
public:
    ProofRule(std::uint32_t hundredths, const Diagnosis& diagnosis)
        : m_n(cyclesToProve(hundredths)), m_diagnosis(diagnosis)
    {
    }
    bool reached(std::uint32_t cycles) const override { return ended(cycles) != RunEnded::None; }
    RunEnded ended(std::uint32_t cycles) const;
    std::uint32_t n() const { return m_n; }

private:
    std::uint32_t m_n;
    const Diagnosis& m_diagnosis;
};

} // namespace zorik
