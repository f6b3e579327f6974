// The diagnosis held against the simulated unit's own models: the
// loopback test's cycle is driven by hand on a fake clock (write, 10 ms,
// read, 100 ms per channel), every reading is made as the worker makes it,
// and what the diagnosis names is compared with the fault the unit was
// given, seed by seed. Shared by the test (which asserts the thresholds)
// and the oracle bench (which prints the figures).
#pragma once

#include "channel_registers.h"
#include "diagnosis.h"
#include "fake_clock.h"
#include "sim_settings.h"
#include "simulated_unit.h"
#include "split_mix.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace zorik::oracle {

inline sim::SimSettings settingsFor(const std::string& text, std::uint64_t seed)
{
    auto parsed = sim::parseSimSettings(text);
    sim::SimSettings settings = parsed.settings.value_or(sim::SimSettings{});
    settings.seed = seed;
    return settings;
}

// An input wired by hand to a rule the unit's model has no item for
// (channel -1: none): it reads rule's level for the levels the unit gets,
// wrong with probability ppm per million.
struct Wired {
    int channel = -1;
    RuleTable rule = 0;
    std::uint32_t ppm = 0;
};

// Where a cycle's pattern comes from: the oracle's own generator, or the
// worker's rand() % 8 (the runtime's generator, seeded with the seed).
enum class Patterns { Oracle, Worker };

// The C runtime's rand(): the same numbers on every platform.
class RuntimeRand {
public:
    explicit RuntimeRand(std::uint64_t seed) : state_(static_cast<std::uint32_t>(seed)) {}
    unsigned next()
    {
        state_ = state_ * 214013u + 2531011u;
        return (state_ >> 16) & 0x7FFFu;
    }

private:
    std::uint32_t state_;
};

// A unit that changes during the run: `settings` until cycle `changeAt`,
// `then` from the next cycle on; with `period`, the two take turns every
// `period` cycles (a flapping unit). The unit is put on the port anew at
// each change, as the simulated build does when its unit file changes.
struct Change {
    const char* then = nullptr;
    int changeAt = 0;
    int period = 0;
};

// The unit behind the library's channel logic, and the test's cycle as the
// worker runs it, publishing each reading to a diagnosis.
class Bench {
public:
    Bench(const std::string& settings, std::uint64_t seed, Wired wired = Wired(), Patterns patterns = Patterns::Oracle,
          Change change = Change())
        : settings_(settings), seed_(seed), unit_(new sim::SimulatedUnit(settingsFor(settings, seed), clock_)),
          patterns_(seed * 0x2545F4914F6CDD1Dull + 11), rand_(seed), source_(patterns),
          wiring_(seed * 0x9E3779B97F4A7C15ull + 5), wired_(wired), change_(change)
    {
    }

    void runCycle()
    {
        ++cycle_;
        if (change_.then != nullptr && cycle_ > 1) {
            const bool due = change_.period > 0 ? (cycle_ - 1) % static_cast<std::uint32_t>(change_.period) == 0
                                                  : cycle_ == static_cast<std::uint32_t>(change_.changeAt) + 1;
            if (due) {
                later_ = !later_;
                unit_.reset(new sim::SimulatedUnit(settingsFor(later_ ? change_.then : settings_, seed_), clock_));
            }
        }
        const unsigned pattern = source_ == Patterns::Worker ? rand_.next() % 8u
                                                             : static_cast<unsigned>(patterns_.below(8));
        for (int c = 0; c < 3; ++c) {
            const unsigned bit = 1u << c;
            const int level = (pattern & bit) ? 1 : 0;
            const unsigned before = unitLevels_;
            switches_ = (switches_ & ~bit) | (level ? bit : 0u);
            unitLevels_ = (unitLevels_ & ~bit) | (level ? bit : 0u);
            registers_.write(c, level);
            clock_.advance(10);
            Reading reading;
            reading.cycle = cycle_;
            reading.channel = c;
            reading.outputs = switches_;
            driven_ |= bit;
            reading.outputsDriven = driven_;
            reading.input = registers_.read(c) != 0 ? 1 : 0;
            if (c == wired_.channel) {
                const unsigned x = (unitLevels_ & 7u) | ((before >> c) & 1u) << 3;
                reading.input = static_cast<int>((wired_.rule >> x) & 1u);
                if (wired_.ppm != 0 && wiring_.below(sim::ERROR_RATE_SCALE) < wired_.ppm)
                    reading.input = 1 - reading.input;
            }
            reading.previousOutput = previous_[c];
            reading.disagreement = reading.input != level;
            reading.lineOutput = level;
            reading.lineInput = reading.input;
            previous_[c] = level;
            diagnosis.reading(reading);
            clock_.advance(100);
        }
    }

    Diagnosis diagnosis;

private:
    // The port as the library sees it: whichever unit is on it now.
    class Socket final : public PortIo {
    public:
        explicit Socket(std::unique_ptr<sim::SimulatedUnit>& unit) : unit_(unit) {}
        std::uint8_t readByte(std::uint16_t port) override { return unit_->readByte(port); }
        void writeByte(std::uint16_t port, std::uint8_t value) override { unit_->writeByte(port, value); }

    private:
        std::unique_ptr<sim::SimulatedUnit>& unit_;
    };

    sim::testing::FakeClock clock_;
    std::string settings_;
    std::uint64_t seed_;
    std::unique_ptr<sim::SimulatedUnit> unit_;
    Socket socket_{unit_};
    ChannelRegisters registers_{socket_};
    sim::SplitMix patterns_;
    RuntimeRand rand_;
    Patterns source_;
    sim::SplitMix wiring_;
    Wired wired_;
    Change change_;
    bool later_ = false;
    std::uint32_t cycle_ = 0;
    // The dialog's switches start off while the library's latch starts
    // with every output on: until the run drives an output, its switch
    // does not show what the unit gets.
    unsigned switches_ = 0;
    unsigned unitLevels_ = 7;
    unsigned driven_ = 0;
    int previous_[3] = {-1, -1, -1};
};

struct Expected {
    Finding finding;
    int output = -1;               // crossed, crossed-inverted
    int outputs[2] = {-1, -1};     // bridged
};

inline bool named(const InputFinding& input, const Expected& expected)
{
    return input.finding == expected.finding && input.output == expected.output &&
           input.outputs[0] == expected.outputs[0] && input.outputs[1] == expected.outputs[1];
}

struct Row {
    const char* settings;
    Expected inputs[3];
    int cycles = 60;
    Wired wired = Wired();
    // Random exceptions at `percent` on input `rateChannel` (0: none): the
    // 95 % interval at the end is checked against it.
    double percent = 0;
    int rateChannel = -1;
    // Glitches: input `flipChannel` ends with exactly `flips` exceptions.
    int flipChannel = -1;
    std::uint64_t flips = 0;
    Patterns patterns = Patterns::Oracle;
    // A unit that changes: `inputs` is what it reads after the change,
    // `before` what it read until then (the inputs under test: those that
    // differ). A flapping row expects Intermittent between `before` and
    // `inputs` on the inputs that differ.
    Change change = Change();
    Expected before[3] = {};
    // False: only the end is looked at (a long run's changes and finding).
    bool watch = true;
};

struct Figures {
    int seeds = 0;
    // Per seed and input under test (those not expected ok, or all three):
    // the first cycle it was named right; INT_MAX: never.
    std::vector<int> cyclesToRight;
    int wrongOnTheWay = 0;          // seeds ever named anything but undetermined and the right finding
    int intermittentOnTheWay = 0;   // of those, seeds named intermittent while their fault is fixed
    int wrongAtEnd = 0;
    int rateHeld = 0;               // seeds whose interval at the end holds `percent`
    int exceptionsWrong = 0;        // glitch rows: seeds whose Exceptions is not `flips`
    int changed = 0;                // seeds on which a change was told where there was none
    int changesOff = 0;             // change rows: seeds not told exactly one change per change
    int sinceNear = 0;              // change rows: seeds whose Since is within 3 cycles of the change

    int withinCycles(int cycles) const
    {
        return static_cast<int>(std::count_if(cyclesToRight.begin(), cyclesToRight.end(),
                                              [cycles](int c) { return c <= cycles; }));
    }
    // The cycle by which `share` of the seeds were named right (INT_MAX: never).
    int quantile(double share) const
    {
        std::vector<int> sorted = cyclesToRight;
        std::sort(sorted.begin(), sorted.end());
        std::size_t at = static_cast<std::size_t>(share * static_cast<double>(sorted.size()) + 0.999999);
        at = at == 0 ? 0 : at - 1;
        return sorted.empty() ? INT_MAX : sorted[std::min(at, sorted.size() - 1)];
    }
};

inline bool flappingBetween(const InputFinding& input, const Expected& a, const Expected& b)
{
    if (input.finding != Finding::Intermittent || !input.flapping)
        return false;
    const auto is = [](const FindingName& name, const Expected& expected) {
        return name.finding == expected.finding && name.output == expected.output &&
               name.outputs[0] == expected.outputs[0] && name.outputs[1] == expected.outputs[1];
    };
    return (is(input.between[0], a) && is(input.between[1], b)) || (is(input.between[0], b) && is(input.between[1], a));
}

inline Figures run(const Row& row, int seeds)
{
    Figures figures;
    figures.seeds = seeds;
    const bool changes = row.change.then != nullptr;
    const bool flapping = changes && row.change.period > 0;
    const int changeAt = changes && !flapping ? row.change.changeAt : 0;
    // Before a change the unit is one that never changes, which the rows
    // without a change hold to account; from shortly before it every
    // cycle is looked at, on the inputs that change (the others, which
    // never change, are looked at at the end).
    const int watchFrom = !row.watch ? row.cycles + 1 : changeAt > 10 ? changeAt - 10 : 1;
    for (int seed = 1; seed <= seeds; ++seed) {
        Bench bench(row.settings, static_cast<std::uint64_t>(seed), row.wired, row.patterns, row.change);
        int right[3] = {INT_MAX, INT_MAX, INT_MAX};
        bool wrong = false;
        bool intermittent = false;
        // The inputs under test: those not expected ok, or all three; with
        // a change, those that change.
        bool underTest[3];
        const bool anyFault = row.inputs[0].finding != Finding::Ok || row.inputs[1].finding != Finding::Ok ||
                              row.inputs[2].finding != Finding::Ok;
        for (int c = 0; c < 3; ++c) {
            const Expected& was = row.before[c];
            const Expected& is = row.inputs[c];
            underTest[c] = changes ? was.finding != is.finding || was.output != is.output ||
                                         was.outputs[0] != is.outputs[0] || was.outputs[1] != is.outputs[1]
                                   : !anyFault || is.finding != Finding::Ok;
        }
        for (int cycle = 1; cycle <= row.cycles; ++cycle) {
            bench.runCycle();
            if (cycle < watchFrom)
                continue;
            for (int c = 0; c < 3; ++c) {
                if (changes && !underTest[c])
                    continue;
                const Expected& expected = row.inputs[c];
                const InputFinding input = bench.diagnosis.input(c);
                if (flapping && underTest[c]) {
                    // Flapping: the two findings, intermittent or learning;
                    // never a fault that is not there.
                    if (flappingBetween(input, row.before[c], expected) && right[c] == INT_MAX)
                        right[c] = cycle;
                    const bool allowed = input.finding == Finding::Undetermined || input.finding == Finding::Intermittent ||
                                         named(input, row.before[c]) || named(input, expected);
                    wrong = wrong || !allowed;
                    continue;
                }
                if (changes && underTest[c]) {
                    // Before the change: the old finding; after it, the new
                    // one is named right; on the way, the old one until the
                    // change is told, undetermined while the new rule is
                    // learnt, or intermittent while the old one keeps failing.
                    if (cycle > changeAt && named(input, expected) && right[c] == INT_MAX)
                        right[c] = cycle - changeAt;
                    const bool allowed = input.finding == Finding::Undetermined ||
                                         (input.finding == Finding::Intermittent && !input.flapping) ||
                                         named(input, row.before[c]) || (cycle > changeAt && named(input, expected));
                    wrong = wrong || !allowed;
                    continue;
                }
                const bool isRight = named(input, expected);
                if (isRight && right[c] == INT_MAX)
                    right[c] = cycle;
                // An intermittent input may look healthy until it first errs.
                const bool beforeFirstError = expected.finding == Finding::Intermittent &&
                                              input.disagreements == 0 && input.finding == Finding::Ok;
                if (!isRight && input.finding != Finding::Undetermined && !beforeFirstError) {
                    wrong = true;
                    intermittent = intermittent || (input.finding == Finding::Intermittent &&
                                                    expected.finding != Finding::Intermittent);
                }
            }
        }
        for (int c = 0; c < 3; ++c) {
            if (underTest[c])
                figures.cyclesToRight.push_back(right[c]);
        }
        figures.wrongOnTheWay += wrong;
        figures.intermittentOnTheWay += intermittent;
        bool end = true;
        bool changed = false;
        bool changesOff = false;
        bool sinceNear = true;
        for (int c = 0; c < 3; ++c) {
            const InputFinding input = bench.diagnosis.input(c);
            end = end && (flapping && underTest[c] ? flappingBetween(input, row.before[c], row.inputs[c])
                                                   : named(input, row.inputs[c]));
            if (!changes || !underTest[c]) {
                changed = changed || input.changes != 0;
            } else if (!flapping) {
                changesOff = changesOff || input.changes != 1;
                const int since = static_cast<int>(input.since);
                sinceNear = sinceNear && std::abs(since - (changeAt + 1)) <= 3;
            }
        }
        figures.wrongAtEnd += !end;
        figures.changed += changed;
        figures.changesOff += changesOff;
        figures.sinceNear += changes && !flapping && sinceNear;
        if (row.rateChannel >= 0) {
            const InputFinding input = bench.diagnosis.input(row.rateChannel);
            figures.rateHeld += input.errorRateLow <= row.percent && row.percent <= input.errorRateHigh;
        }
        if (row.flipChannel >= 0)
            figures.exceptionsWrong += bench.diagnosis.input(row.flipChannel).exceptions != row.flips;
    }
    return figures;
}

// The status read on which the loopback cycle `cycle` (1 = the first)
// reads input `channel`: one read per input, 0, 1, 2 in turn.
inline std::string glitchAt(int channel, int cycle)
{
    return "glitch=" + std::to_string(channel) + ":" + std::to_string(3 * (cycle - 1) + channel + 1);
}

constexpr Expected OK{Finding::Ok};
constexpr Expected ON{Finding::StuckOn};
constexpr Expected OFF{Finding::StuckOff};
constexpr Expected INV{Finding::Inverted};
constexpr Expected SLOW{Finding::Slow};
constexpr Expected RISE{Finding::SlowRise};
constexpr Expected FALL{Finding::SlowFall};
constexpr Expected FLAKY{Finding::Intermittent};
constexpr Expected OTHER{Finding::Other};
constexpr Expected crossed(int k)
{
    return Expected{Finding::Crossed, k};
}
constexpr Expected crossedInverted(int k)
{
    return Expected{Finding::CrossedInverted, k};
}
constexpr Expected bridged(int j, int k)
{
    return Expected{Finding::Bridged, -1, {j, k}};
}

// Every rule of up to two variables alone on an input: named right within
// 60 cycles, never anything else on the way.
inline std::vector<Row> fixedRuleRows()
{
    const RuleTable out1 = variableTable(1);
    const RuleTable out2 = variableTable(2);
    const RuleTable prev0 = variableTable(kPrevVariable);
    return {
        {"healthy", {OK, OK, OK}},
        {"stuck-on=0", {ON, OK, OK}},
        {"stuck-off=1", {OK, OFF, OK}},
        {"invert=2", {OK, OK, INV}},
        {"cross=0:2", {crossed(2), OK, crossed(0)}},
        {"cross=1:2", {OK, crossed(2), crossed(1)}},
        // A single crossed input: inverted twice, it follows output 0 alone.
        {"cross-invert=1:0,invert=1", {OK, crossed(0), OK}},
        {"cross-invert=0:2", {crossedInverted(2), OK, OK}},
        {"cross-invert=2:1", {OK, OK, crossedInverted(1)}},
        {"bridge=1:1:2:and", {OK, bridged(1, 2), OK}},
        {"bridge=0:1:2:or", {bridged(1, 2), OK, OK}},
        {"bridge=2:0:1:and", {OK, OK, bridged(0, 1)}},
        {"bridge=1:0:1:or", {OK, bridged(0, 1), OK}},
        {"slow=0:15", {SLOW, OK, OK}},
        {"slow=2:330", {OK, OK, SLOW}},
        {"slow-rise=1:50", {OK, RISE, OK}},
        {"slow-fall=2:50", {OK, OK, FALL}},
        {"absent", {OFF, OFF, OFF}},
        {"by hand: input 1 = out1 AND NOT out2", {OK, OTHER, OK}, 60,
         Wired{1, static_cast<RuleTable>(out1 & ~out2)}},
        {"by hand: input 0 = out1 XOR out2", {OTHER, OK, OK}, 60, Wired{0, static_cast<RuleTable>(out1 ^ out2)}},
        {"by hand: input 0 = NOT prev0", {OTHER, OK, OK}, 60, Wired{0, static_cast<RuleTable>(~prev0)}},
    };
}

// A fixed rule with random exceptions at 1 to 5 %: named right within 80
// cycles; after 300 the interval holds the rate.
inline std::vector<Row> exceptionRows()
{
    const RuleTable out1 = variableTable(1);
    const RuleTable out2 = variableTable(2);
    return {
        {"cross=0:2,flaky=0:1%", {crossed(2), OK, crossed(0)}, 300, Wired(), 1, 0},
        {"cross=0:2,flaky=0:5%", {crossed(2), OK, crossed(0)}, 300, Wired(), 5, 0},
        {"invert=1,flaky=1:3%", {OK, INV, OK}, 300, Wired(), 3, 1},
        {"cross-invert=2:0,flaky=2:5%", {OK, OK, crossedInverted(0)}, 300, Wired(), 5, 2},
        {"bridge=1:1:2:and,flaky=1:5%", {OK, bridged(1, 2), OK}, 300, Wired(), 5, 1},
        {"bridge=0:0:2:or,flaky=0:2%", {bridged(0, 2), OK, OK}, 300, Wired(), 2, 0},
        {"slow=1:100,flaky=1:5%", {OK, SLOW, OK}, 300, Wired(), 5, 1},
        {"slow-rise=2:40,flaky=2:1%", {OK, OK, RISE}, 300, Wired(), 1, 2},
        {"by hand: input 1 = out1 AND NOT out2, 5 %", {OK, OTHER, OK}, 300,
         Wired{1, static_cast<RuleTable>(out1 & ~out2), 50000}, 5, 1},
    };
}

// A named rule with one to three flipped readings later in a run of 1,000
// cycles keeps its name, with Exceptions equal to the flips.
inline std::vector<Row> glitchRows()
{
    static const std::string cross = "cross=0:2," + glitchAt(0, 200);
    static const std::string stuck =
        "stuck-off=1," + glitchAt(1, 500) + "," + glitchAt(1, 501) + "," + glitchAt(1, 502);
    static const std::string bridge = "bridge=2:0:1:or," + glitchAt(2, 200) + "," + glitchAt(2, 500);
    static const std::string slow = "slow-fall=0:60," + glitchAt(0, 500) + "," + glitchAt(0, 700) + "," +
                                    glitchAt(0, 900);
    Row rows[] = {
        {cross.c_str(), {crossed(2), OK, crossed(0)}, 1000, Wired(), 0, -1, 0, 1},
        {stuck.c_str(), {OK, OFF, OK}, 1000, Wired(), 0, -1, 1, 3},
        {bridge.c_str(), {OK, OK, bridged(0, 1)}, 1000, Wired(), 0, -1, 2, 2},
        {slow.c_str(), {FALL, OK, OK}, 1000, Wired(), 0, -1, 0, 3},
    };
    return std::vector<Row>(std::begin(rows), std::end(rows));
}

// A unit that changes once after `n` healthy (or faulty) cycles: healthy
// to stuck off, healthy to crossed, stuck off to healthy; followed for 300
// cycles after the change.
inline Row changeRow(const char* before, const char* after, Expected (&&was)[3], Expected (&&is)[3], int n,
                     Patterns patterns)
{
    Row row{before, {is[0], is[1], is[2]}, n + 200};
    row.patterns = patterns;
    row.change.then = after;
    row.change.changeAt = n;
    for (int c = 0; c < 3; ++c)
        row.before[c] = was[c];
    return row;
}

inline std::vector<Row> changeRows(Patterns patterns)
{
    std::vector<Row> rows;
    for (int n : {200, 1000, 5000}) {
        rows.push_back(changeRow("healthy", "stuck-off=1", {OK, OK, OK}, {OK, OFF, OK}, n, patterns));
        rows.push_back(changeRow("healthy", "cross=1:2", {OK, OK, OK}, {OK, crossed(2), crossed(1)}, n, patterns));
        rows.push_back(changeRow("stuck-off=1", "healthy", {OK, OFF, OK}, {OK, OK, OK}, n, patterns));
    }
    return rows;
}

// Input 1 stuck off for 100 cycles, healthy for 100, and so on for 5,000
// (or `cycles`).
inline Row flappingRow(Patterns patterns, int cycles = 5000)
{
    Row row{"stuck-off=1", {OK, OK, OK}, cycles};
    row.patterns = patterns;
    row.change.then = "healthy";
    row.change.period = 100;
    row.before[0] = OK;
    row.before[1] = OFF;
    row.before[2] = OK;
    return row;
}

// Units that never change, 100,000 cycles, looked at only at the end.
inline std::vector<Row> longRows()
{
    std::vector<Row> rows = {{"healthy", {OK, OK, OK}, 100000},
                             {"flaky=1:20%", {OK, FLAKY, OK}, 100000},
                             {"cross=0:2,flaky=0:5%", {crossed(2), OK, crossed(0)}, 100000}};
    for (Row& row : rows)
        row.watch = false;
    return rows;
}

} // namespace zorik::oracle
