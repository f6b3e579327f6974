// What is wrong with each input, learnt from the stream of readings as the
// rule the input follows: its level as a function of the three outputs and
// of its own output's level before the cycle's write (input_rule.h). Only
// counts are kept (how often each of the 16 combinations read 1 and 0), so
// a run of weeks costs what a run of a minute costs; every rule's
// agreement is worked out from them.
//
// The worker feeds it (one more ReadingListener); the UI thread reads it
// for the finding line and the result file, so every access locks.
#pragma once

#include "input_rule.h"
#include "lock.h"
#include "reading.h"

#include <cstdint>
#include <string>

namespace zorik {

// Undetermined to Intermittent keep their values: the INI words are read
// by index (findingWord in result_file.h).
enum class Finding {
    Undetermined,
    Ok,
    StuckOn,
    StuckOff,
    Inverted,
    Crossed,
    Slow,
    Intermittent,
    CrossedInverted,
    Bridged,
    SlowRise,
    SlowFall,
    Other,
};

// One input's diagnosis as others take it (the finding line, the result
// file, a station's CSV columns): a plain value, copied out under the lock.
struct InputFinding {
    Finding finding = Finding::Undetermined;
    int output = -1;                   // Crossed, CrossedInverted: the output k it follows; else -1
    int outputs[2] = {-1, -1};         // Bridged: the two outputs j < k shorted together; else -1
    RuleTable ruleTable = 0;           // the rule named (meaningless when Undetermined)
    std::string rule;                  // ruleFormula of it, e.g. "out1 AND out2"; empty when Undetermined
    std::uint64_t readings = 0;        // readings of this input
    std::uint64_t disagreements = 0;   // its lines in the log (Reading::disagreement)
    std::uint64_t judged = 0;          // readings the rule was held against
    std::uint64_t exceptions = 0;      // of those, readings that broke the rule
    // In percent: exceptions of judged, and the 95 % interval around that
    // rate (0 to its upper bound when there is no exception yet).
    double errorRate = 0;
    double errorRateLow = 0;
    double errorRateHigh = 0;
};

enum class UnitPresence { Undetermined, Present, Absent };

class Diagnosis final : public ReadingListener {
public:
    static constexpr int kInputs = 3;
    // A rule is named only when the readings on which it and any other rule
    // differ favour it by at least kMargin; by more when it has exceptions:
    // as many as make it 2^-kMarginBits unlikely that exceptions at the rate
    // seen gave the lead to a wrong rule.
    static constexpr std::uint64_t kMargin = 3;
    static constexpr double kMarginBits = 16;
    // A rule other than the input's own output is named only when an input
    // that follows its own output with exceptions (or a random one) would
    // have produced the readings seen with a chance of at most 2^-kFixedBits
    // against the named rule; and once named, another rule takes its place
    // only when the readings favour it over the named one by as much.
    static constexpr double kFixedBits = 20;
    // An input that errs against its own output is intermittent only once
    // every other rule misses more often than a rule with exceptions at
    // this rate would but with a chance of 2^-kRuledOutBits.
    static constexpr double kExceptionRateRuledOut = 0.06;
    static constexpr double kRuledOutBits = 10;

    Diagnosis() = default;
    Diagnosis(const Diagnosis&) = delete;
    Diagnosis& operator=(const Diagnosis&) = delete;

    // --- worker thread ---
    void reading(const Reading& reading) override;

    // --- the UI thread, while no worker runs: a station's next unit ---
    void reset();

    // --- any thread ---
    InputFinding input(int channel) const;
    UnitPresence unit() const;

private:
    struct Counts {
        std::uint64_t readings = 0;
        std::uint64_t disagreements = 0;
        std::uint64_t ownMissed = 0; // readings off the input's own output
        // Readings whose four variables are all known, by combination and
        // level read.
        std::uint64_t seen[kRuleCombinations][2] = {};
        // The rule named so far, kept until the readings clearly favour
        // another (Counts::named false: undetermined).
        bool named = false;
        RuleTable namedTable = 0;
        std::string namedRule; // ruleFormula of namedTable, written when it is named
    };

    static void decide(Counts& counts, int channel);
    static InputFinding findingOf(const Counts& counts, int channel);

    mutable Lock m_lock;
    Counts m_inputs[kInputs];
};

} // namespace zorik
