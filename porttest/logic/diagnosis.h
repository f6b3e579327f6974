// What is wrong with each input, learnt from the stream of readings as the
// rule the input follows: its level as a function of the three outputs and
// of its own output's level before the cycle's write (input_rule.h). Only
// counts are kept (how often each of the 16 combinations read 1 and 0), so
// a run of weeks costs what a run of a minute costs; every rule's
// agreement is worked out from them.
//
// A unit may change while it runs: break, heal or flap. Per input the
// readings are cut into segments: while the present rule is named, a
// sequential test watches its misses, and once the readings after some
// cycle are far likelier under another rule (or another rate) than under
// the present one, a new segment begins there and its rule is learnt from
// its own readings alone. Earlier segments are kept with their first and
// last cycle, time and finding, a bounded number of them.
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

// The local date and time a cycle began: when a segment began.
struct DateTime {
    std::uint16_t year = 0; // 0: not known (no clock given)
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
};

// Where the diagnosis takes the time from, once a cycle (the program: the
// local time; host tests: a clock of their own or none).
class DateTimeSource {
public:
    virtual ~DateTimeSource() = default;
    virtual DateTime now() = 0;
};

// A finding by its name alone: what a segment was, what an input flaps
// between.
struct FindingName {
    Finding finding = Finding::Undetermined;
    int output = -1;
    int outputs[2] = {-1, -1};
};

bool operator==(const FindingName& a, const FindingName& b);

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

    // Since when the finding holds: the first cycle and the time of the
    // present segment (the run's first cycle when it never changed; 0
    // before the first reading). Exceptions and the rates above are the
    // present segment's.
    std::uint32_t since = 0;
    DateTime sinceTime;
    std::uint64_t changes = 0;  // changes told in this run
    bool hasBefore = false;     // there was a change: `before` is the finding before the last one
    FindingName before;
    // Flapping: the input changes back and forth between two findings
    // (the finding is then Intermittent, `rule` the present segment's).
    bool flapping = false;
    FindingName between[2];
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

    // The change test: the readings since some cycle must be 2^kChangeBits
    // times likelier under another rule of up to two variables (or the
    // present rule at another rate) there, and the present one before it,
    // than under the present rule throughout. Over 100,000 cycles there
    // are fewer than 2^17 places to split and 71 rules to try: an
    // unchanging input passes this with a chance below 2^-20 with room for
    // the two rates that are fitted.
    static constexpr double kChangeBits = 56;
    // Segments kept per input besides the present one, and readings kept
    // to find where a change began.
    static constexpr int kHistory = 8;
    static constexpr int kRecent = 128;
    // A flapping input is taken to have settled once its present segment
    // has lasted this many times the longest of the (last four) segments
    // since it began to flap: a unit that held for hours, broke for a
    // minute and came back is settled minutes later, not hours.
    static constexpr std::uint64_t kSettledTimes = 4;

    explicit Diagnosis(DateTimeSource* clock = nullptr) : m_clock(clock) {}
    Diagnosis(const Diagnosis&) = delete;
    Diagnosis& operator=(const Diagnosis&) = delete;

    // --- worker thread ---
    void cycleBegun(std::uint32_t cycle) override;
    void reading(const Reading& reading) override;

    // --- the UI thread, while no worker runs: a station's next unit ---
    void reset();

    // --- any thread ---
    InputFinding input(int channel) const;
    UnitPresence unit() const;

private:
    // The counts of one segment.
    struct Counts {
        std::uint64_t readings = 0;
        std::uint64_t ownMissed = 0; // readings off the input's own output
        std::uint64_t known = 0;     // readings whose four variables are all known
        // Those readings by combination and level read.
        std::uint64_t seen[kRuleCombinations][2] = {};
        // The rule named so far, kept until the readings clearly favour
        // another (Counts::named false: undetermined).
        bool named = false;
        RuleTable namedTable = 0;
        std::string namedRule; // ruleFormula of namedTable, written when it is named
        // The named rule fits as well as any other and as the table of
        // majorities: a reading it fits cannot change what is named.
        bool steady = false;
        std::uint32_t firstCycle = 0;
        DateTime firstTime;
        std::uint64_t firstRecent = 0; // number of the first known reading (Input::recentCount)
    };

    // A segment that ended.
    struct Segment {
        std::uint32_t firstCycle = 0;
        std::uint32_t lastCycle = 0;
        DateTime firstTime;
        FindingName name;
        RuleTable table = 0;
        std::uint64_t known = 0;
    };

    struct Recent {
        std::uint32_t cycle;
        std::uint8_t combination;
        std::uint8_t level;
        DateTime time;
    };

    struct Input {
        std::uint64_t readings = 0;
        std::uint64_t disagreements = 0;
        Counts present;
        // The sequential test on the present rule's misses: a CUSUM whose
        // excursion, from its first miss, is the candidate new segment.
        double cusum = 0;
        double missBits = 0;
        double hitBits = 0;
        bool testable = false;
        std::uint64_t ratesFor = ~std::uint64_t(0); // exceptions the two weights were worked out for
        std::uint64_t ratesKnown = 0;
        bool excursion = false;
        Counts candidate;
        // A change told, the new segment's rule not named yet; `previous`
        // is the segment before, restored if the new one names the same.
        bool learning = false;
        Counts previous;
        std::uint64_t changes = 0;
        Segment history[kHistory]; // ring: the last historyCount segments
        int historyNext = 0;
        int historyCount = 0;
        bool flapping = false;
        int flapSegments = 0; // segments ended since it began to flap
        FindingName between[2];
        // The cycles where the last change may have begun (both rules fit
        // the readings there), to be shared with another input's change.
        bool tieKnown = false;
        std::uint32_t tieFirst = 0;
        std::uint32_t tieLast = 0;
        Recent recent[kRecent];    // ring: the last known readings
        std::uint64_t recentCount = 0;
    };

    static void decide(Counts& counts, int channel);
    static void addReading(Counts& counts, int combination, int level, int own, bool known);
    static FindingName nameOf(const Counts& counts, int channel);
    void testForChange(Input& input, int channel, int combination, int level);
    void tellChange(Input& input, int channel);
    void settleChange(Input& input, int channel);
    static void moveStart(Input& input, int channel, std::uint32_t cycle, DateTime time);
    // The segment `back` before the present one (1: the last).
    static Segment& lastSegment(Input& input, int back = 1);
    static const Segment& lastSegment(const Input& input, int back = 1);
    static InputFinding findingOf(const Input& input, int channel);

    mutable Lock m_lock;
    DateTimeSource* m_clock;
    DateTime m_cycleTime;
    Input m_inputs[kInputs];
};

} // namespace zorik
