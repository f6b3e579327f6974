// What is wrong with each input, named from the stream of readings: the
// candidate explanations of an input (healthy, stuck, inverted, crossed
// with another output, slow, intermittent) are weighed by how many
// readings each fails to predict. Only counts are kept, so a run of weeks
// costs what a run of a minute costs.
//
// The worker feeds it (one more ReadingListener); the UI thread reads it
// for the finding line and the result file, so every access locks.
#pragma once

#include "lock.h"
#include "reading.h"

#include <cstdint>

namespace zorik {

enum class Finding { Undetermined, Ok, StuckOn, StuckOff, Inverted, Crossed, Slow, Intermittent };

struct InputFinding {
    Finding finding = Finding::Undetermined;
    int output = -1;                   // Crossed: the output this input follows; else -1
    std::uint64_t readings = 0;        // readings of this input
    std::uint64_t disagreements = 0;   // its lines in the log (Reading::disagreement)
    // Intermittent only, in percent: readings that disagreed with the
    // input's own output, and the 95 % interval around that rate.
    double errorRate = 0;
    double errorRateLow = 0;
    double errorRateHigh = 0;
};

enum class UnitPresence { Undetermined, Present, Absent };

class Diagnosis final : public ReadingListener {
public:
    static constexpr int kInputs = 3;
    // A candidate is ruled out by this many readings it failed to predict.
    static constexpr std::uint64_t kRuledOut = 3;
    // A fixed fault is named only when an intermittent input would have
    // produced the readings seen with a chance of at most 2^-kFixedBits.
    static constexpr double kFixedBits = 20;

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
    // The explanations each input is held against; the two crossed ones
    // follow the other two outputs, the lower first.
    enum Candidate { kOk, kStuckOn, kStuckOff, kInverted, kCrossedLow, kCrossedHigh, kSlow, kCandidates };

    struct Counts {
        std::uint64_t readings = 0;
        std::uint64_t disagreements = 0;
        // Per candidate: the readings it was held against, how many it
        // failed to predict, and how many of those readings disagreed
        // with the input's own output.
        std::uint64_t judged[kCandidates] = {};
        std::uint64_t missed[kCandidates] = {};
        std::uint64_t okMissedWhenJudged[kCandidates] = {};
    };

    static InputFinding findingOf(const Counts& counts, int channel);

    mutable Lock m_lock;
    Counts m_inputs[kInputs];
};

} // namespace zorik
