// The worker runs on the test thread here; the Test button is "pressed"
// from inside the fakes' hooks, so every run is deterministic and no wall
// clock time passes.
#include "diagnosis.h"
#include "loopback_fakes.h"
#include "loopback_worker.h"
#include "program_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

using namespace zorik;
using namespace zorik::testing;

namespace {

struct Logged {
    std::string cycle; // the 16 hex digits
    int channel;
    bool operator==(const Logged& other) const
    {
        return cycle == other.cycle && channel == other.channel;
    }
};

std::ostream& operator<<(std::ostream& out, const Logged& logged)
{
    return out << logged.cycle << "/" << logged.channel;
}

Logged parse(const std::string& line)
{
    return {line.substr(1, 16), line.at(line.find('[') + 1) - '0'};
}

class Worker {
public:
    explicit Worker(UnitAnswer unit, std::uint32_t counterStart = 0)
        : services(std::move(unit), &events), counter(counterStart)
    {
    }

    // Presses Test, runs the worker on this thread and presses Test again
    // as soon as the `cycles`-th cycle from now has begun.
    void run(std::uint32_t cycles)
    {
        const std::uint32_t last = counter.value() + cycles;
        services.onSleep = [this, last](unsigned) {
            if (counter.value() == last && flag.value() == 1) {
                EXPECT_EQ(flag.onTestButton(button), TestButtonResult::Stopped);
            }
        };
        ASSERT_EQ(flag.onTestButton(button), TestButtonResult::Started);
        ReadingStream stream;
        stream.add(dialog);
        if (alsoListening)
            stream.add(*alsoListening);
        EXPECT_EQ(TestThreadProc(dialog, services, stream, flag, counter), 0u);
        EXPECT_FALSE(flag.workerActive());
    }

    std::vector<Logged> logged() const
    {
        std::vector<Logged> result;
        for (const auto& line : dialog.lines())
            result.push_back(parse(line));
        return result;
    }

    ReadingListener* alsoListening = nullptr; // hears every reading after the dialog
    EventList events;
    FakeDialog dialog{&events};
    FakeServices services;
    RunFlag flag;
    CycleCounter counter;
    FakeButtonActions button;
};

std::vector<std::string> writesIn(const std::vector<std::string>& events)
{
    std::vector<std::string> writes;
    for (const auto& event : events)
        if (event.rfind("write", 0) == 0)
            writes.push_back(event);
    return writes;
}

} // namespace

TEST(LoopbackCycle, HealthyUnitLogsNothingButCountsEveryCycle)
{
    Worker worker(healthyUnit);
    worker.services.setRandomValues({0, 1, 2, 3, 4, 5, 6, 7});
    worker.run(8);

    EXPECT_TRUE(worker.dialog.lines().empty());
    EXPECT_EQ(worker.counter.value(), 8u);
    EXPECT_EQ(worker.dialog.captions(),
              (std::vector<std::string>{kTestCaptionRunning, kTestCaptionIdle}));
    EXPECT_TRUE(worker.button.pollTimerOn);
    EXPECT_EQ(worker.flag.value(), 0);
}

TEST(LoopbackCycle, EachDisagreeingChannelLogsOneLineWithItsCycle)
{
    Worker worker(unwiredUnit);
    worker.services.setRandomValues({5, 2, 7, 0});
    worker.run(4);

    EXPECT_EQ(worker.logged(), (std::vector<Logged>{{"0000000000000001", 0},
                                                    {"0000000000000001", 2},
                                                    {"0000000000000002", 1},
                                                    {"0000000000000003", 0},
                                                    {"0000000000000003", 1},
                                                    {"0000000000000003", 2}}));
    for (const auto& line : worker.dialog.lines())
        EXPECT_NE(line.find("= ON : OFF\r\n"), std::string::npos) << line;
}

TEST(LoopbackCycle, ChannelStepsRunInOrderWithSettleAndGap)
{
    Worker worker(unwiredUnit);
    worker.services.setRandomValues({6});
    worker.run(1);

    EXPECT_EQ(worker.events.events(),
              (std::vector<std::string>{
                  "caption",
                  "out 0=0", "write 0=0", "sleep 10", "read 0", "in 0=0", "sleep 100",
                  "out 1=1", "write 1=1", "sleep 10", "read 1", "in 1=0", "time", "log", "sleep 100",
                  "out 2=1", "write 2=1", "sleep 10", "read 2", "in 2=0", "time", "log", "sleep 100",
                  "match", "caption"}));
    EXPECT_EQ(worker.services.elapsedMs(), 330u);
}

// Whatever the readings' listeners spend (a line formatted and journaled, a
// flush) falls inside the gap, which is timed from the reading: a failing
// unit's cycle is as long as a healthy one's, and work that takes longer
// than the gap leaves no sleep, never a wrapped-around one.
TEST(LoopbackCycle, ListenersTimeFallsInsideTheGap)
{
    struct SpendingListener : ReadingListener {
        FakeServices* services = nullptr;
        unsigned long long perLineUs = 0, perCycleEndUs = 0;
        void reading(const Reading& reading) override
        {
            if (reading.disagreement)
                services->spendUs(perLineUs);
        }
        void cycleEnded(std::uint32_t) override { services->spendUs(perCycleEndUs); }
    };
    const struct {
        const char* what;
        UnitAnswer unit;
        unsigned long long perLineUs, perCycleEndUs;
        std::vector<std::string> gapSleeps; // channels 0, 1, 2
        unsigned long long cycleMs;
    } rows[] = {
        {"healthy, nothing spent", healthyUnit, 0, 0, {"sleep 100", "sleep 100", "sleep 100"}, 330},
        {"every channel logs, 12 ms a line", unwiredUnit, 12000, 0, {"sleep 88", "sleep 88", "sleep 88"}, 330},
        {"a flush of 30 ms at the cycle's end", unwiredUnit, 0, 30000, {"sleep 100", "sleep 100", "sleep 70"}, 330},
        {"a flush longer than the gap", unwiredUnit, 0, 1100000, {"sleep 100", "sleep 100"}, 1330},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Worker worker(row.unit);
        worker.services.setRandomValues({7});
        SpendingListener listener;
        listener.services = &worker.services;
        listener.perLineUs = row.perLineUs;
        listener.perCycleEndUs = row.perCycleEndUs;
        const std::uint32_t last = worker.counter.value() + 1;
        worker.services.onSleep = [&](unsigned) {
            if (worker.counter.value() == last && worker.flag.value() == 1)
                worker.flag.onTestButton(worker.button);
        };
        worker.flag.onTestButton(worker.button);
        TestThreadProc(worker.dialog, worker.services, listener, worker.flag, worker.counter);
        std::vector<std::string> gaps;
        for (const auto& event : worker.events.events())
            if (event.rfind("sleep", 0) == 0 && event != "sleep 10")
                gaps.push_back(event);
        EXPECT_EQ(gaps, row.gapSleeps);
        EXPECT_EQ(worker.services.elapsedMs(), row.cycleMs);
    }
}

// Memory that runs out in a listener ends the run as a stop would, so that
// the dialog can save what there is: the worker retires, restores the
// caption, and the flag says why.
TEST(LoopbackCycle, MemoryRunningOutStopsTheRun)
{
    struct Exhausted : ReadingListener {
        void reading(const Reading& reading) override
        {
            if (reading.cycle == 2 && reading.channel == 1)
                throw std::bad_alloc();
        }
    } listener;
    Worker worker(healthyUnit);
    ASSERT_EQ(worker.flag.onTestButton(worker.button), TestButtonResult::Started);
    EXPECT_EQ(TestThreadProc(worker.dialog, worker.services, listener, worker.flag, worker.counter), 0u);
    EXPECT_TRUE(worker.flag.outOfMemory());
    EXPECT_FALSE(worker.flag.boundReached());
    EXPECT_FALSE(worker.flag.workerActive());
    EXPECT_EQ(worker.flag.value(), 0);
    EXPECT_EQ(worker.counter.value(), 2u) << "no cycle after";
    EXPECT_EQ(worker.dialog.captions().back(), kTestCaptionIdle);
}

TEST(LoopbackCycle, PatternIsRandomValueModulo8)
{
    Worker worker(healthyUnit);
    worker.services.setRandomValues({13, 0x7FFFFFFF});
    worker.run(2);

    EXPECT_EQ(writesIn(worker.events.events()),
              (std::vector<std::string>{"write 0=1", "write 1=0", "write 2=1",
                                        "write 0=1", "write 1=1", "write 2=1"}));
}

TEST(LoopbackCycle, LineCarriesTheTimeTheDisagreementWasNoticed)
{
    Worker worker(unwiredUnit);
    worker.services.startClockAt(23, 59, 59, 950);
    worker.services.setRandomValues({7});
    worker.run(1);

    const auto lines = worker.dialog.lines();
    ASSERT_EQ(lines.size(), 3u);
    // Channel 0 is read back 10 ms in, channel 1 after 120 ms: past midnight.
    EXPECT_NE(lines[0].find(" : 23\xBD\xC3 59\xBA\xD0 59\xC3\xCA - "), std::string::npos);
    EXPECT_NE(lines[1].find(" : 00\xBD\xC3 00\xBA\xD0 00\xC3\xCA - "), std::string::npos);
}

TEST(LoopbackCycle, StopDuringACycleStillTestsAllThreeChannels)
{
    Worker worker(unwiredUnit);
    worker.services.setRandomValues({7});
    bool stopped = false;
    worker.services.onWrite = [&](int channel, int) {
        if (channel == 0 && !stopped) {
            stopped = true;
            EXPECT_EQ(worker.flag.onTestButton(worker.button), TestButtonResult::Stopped);
        }
    };
    ASSERT_EQ(worker.flag.onTestButton(worker.button), TestButtonResult::Started);
    TestThreadProc(worker.dialog, worker.services, worker.dialog, worker.flag, worker.counter);

    EXPECT_TRUE(stopped);
    EXPECT_EQ(writesIn(worker.events.events()),
              (std::vector<std::string>{"write 0=1", "write 1=1", "write 2=1"}));
    EXPECT_EQ(worker.dialog.lines().size(), 3u);
    EXPECT_EQ(worker.counter.value(), 1u);
}

TEST(LoopbackCycle, CounterContinuesAcrossStopAndStart)
{
    Worker worker(unwiredUnit);
    worker.services.setRandomValues({1});
    worker.run(2);
    worker.run(3);

    EXPECT_EQ(worker.logged(), (std::vector<Logged>{{"0000000000000001", 0},
                                                    {"0000000000000002", 0},
                                                    {"0000000000000003", 0},
                                                    {"0000000000000004", 0},
                                                    {"0000000000000005", 0}}));
    EXPECT_EQ(worker.button.threadsStarted, 2);
}

TEST(LoopbackCycle, CounterWrapsFromFFFFFFFFToZero)
{
    Worker worker(unwiredUnit, 0xFFFFFFFEu);
    worker.services.setRandomValues({1});
    worker.run(2);

    EXPECT_EQ(worker.logged(), (std::vector<Logged>{{"00000000FFFFFFFF", 0},
                                                    {"0000000000000000", 0}}));
    EXPECT_EQ(worker.counter.value(), 0u);
}

TEST(LoopbackCycle, ComparesTheIndicatorsAsReadBack)
{
    // The operator clicks output switch 1 just after the worker drove it;
    // the unit is healthy, yet the clicked indicator disagrees.
    Worker worker(healthyUnit);
    worker.services.setRandomValues({0});
    worker.services.onWrite = [&](int channel, int) {
        if (channel == 1)
            worker.dialog.clickOutput(1);
    };
    worker.run(1);

    const auto lines = worker.dialog.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(parse(lines[0]).channel, 1);
    EXPECT_NE(lines[0].find("= ON : OFF\r\n"), std::string::npos);
}

TEST(LoopbackCycle, ReadsTheOutputIndicatorBeforeTheInputIndicator)
{
    Worker worker(unwiredUnit);
    worker.dialog.recordReads = true;
    worker.services.setRandomValues({2}); // only channel 1 disagrees
    worker.run(1);

    const auto events = worker.events.events();
    const auto from = std::find(events.begin(), events.end(), "in 1=0");
    ASSERT_NE(from, events.end());
    const auto to = std::find(from, events.end(), "sleep 100");
    EXPECT_EQ(std::vector<std::string>(from + 1, to),
              (std::vector<std::string>{"get out 1", "get in 1", "time", "get out 1", "get in 1", "log"}));
}

namespace {

struct WaitCase {
    const char* what;
    TickRate rate;
    std::uint64_t counterStart;
    // How long Sleep(asked) really lasts, in microseconds.
    unsigned long long (*sleepTakesUs)(unsigned asked);
    // The sleeps of one channel step: the settle's, then the gap's.
    std::vector<std::string> stepSleeps;
    unsigned tickMs = 1; // GetTickCount's step, starting at counterStart
    bool counterStandsStill = false;
};

constexpr std::uint64_t k64 = ~std::uint64_t{0};

unsigned long long exact(unsigned asked) { return asked * 1000ull; }
// The first sleep of each wait ends early (10 -> 3 ms, 100 -> 40 ms), any
// later one is exact.
unsigned long long firstEndsEarly(unsigned asked)
{
    return asked == 10 ? 3000 : asked == 100 ? 40000 : asked * 1000ull;
}
unsigned long long endsLate(unsigned asked) { return asked * 2500ull; }
unsigned long long neverReturnsTime(unsigned) { return 0; }

std::vector<std::string> repeat(const std::string& sleep, int times)
{
    return std::vector<std::string>(static_cast<std::size_t>(times), sleep);
}

} // namespace

TEST(LoopbackCycle, EveryWaitLastsAtLeastItsTimeByTheCounter)
{
    std::vector<std::string> stalled = repeat("sleep 10", 20); // asked 200 ms: 10 x 10 + 100
    const auto gaps = repeat("sleep 100", 11);                 // asked 1100 ms: 10 x 100 + 100
    stalled.insert(stalled.end(), gaps.begin(), gaps.end());
    // Short sleeps up to the tick count's first step, then the wait.
    std::vector<std::string> byTicks = repeat("sleep 1", 10);
    byTicks.push_back("sleep 10");
    const auto toGap = repeat("sleep 1", 10);
    byTicks.insert(byTicks.end(), toGap.begin(), toGap.end());
    byTicks.push_back("sleep 100");
    const WaitCase cases[] = {
        {"exact sleeps: one each", {1000000, k64}, 0, exact, {"sleep 10", "sleep 100"}},
        {"early return topped up", {1000000, k64}, 0, firstEndsEarly,
         {"sleep 10", "sleep 7", "sleep 100", "sleep 60"}},
        {"overshoot not made up", {1000000, k64}, 0, endsLate, {"sleep 10", "sleep 100"}},
        {"a 32-bit counter wrapping within the wait", {1000, 0xFFFFFFFFu}, 0xFFFFFFFEu, firstEndsEarly,
         {"sleep 10", "sleep 7", "sleep 100", "sleep 60"}},
        // 3,579,545 Hz, wrapping its 64 bits within the wait: 7.0004 ms
        // left, slept as 8.
        {"odd performance counter rate, 64-bit wrap", {3579545, k64}, k64 - 1000,
         firstEndsEarly, {"sleep 10", "sleep 8", "sleep 100", "sleep 61"}},
        {"counter standing still: the loop ends", {1000000, k64}, 0, neverReturnsTime, stalled},
        // A 10 ms tick may step 1 ms after the start: one tick more than
        // the wait, here wrapping at its first step.
        {"no performance counter: GetTickCount, 10 ms ticks", {0, 0}, 0xFFFFFFF6u, exact, byTicks, 10},
        // Another core's counter, behind: ends by the tick count, one sleep
        // and one tick late at most, instead of ten times the wait.
        {"counter standing still, 10 ms ticks going on", {1000000, k64}, 0, exact,
         {"sleep 10", "sleep 10", "sleep 100", "sleep 100"}, 10, true},
    };
    for (const WaitCase& c : cases) {
        SCOPED_TRACE(c.what);
        Worker worker(unwiredUnit);
        worker.services.setRandomValues({7});
        worker.services.setTickCounter(c.rate, c.counterStart);
        worker.services.sleepTakesUs = c.sleepTakesUs;
        worker.services.setTickCount(static_cast<std::uint32_t>(c.counterStart), c.tickMs);
        worker.services.counterStandsStill = c.counterStandsStill;
        worker.run(1);

        std::vector<std::string> sleeps;
        for (const auto& event : worker.events.events())
            if (event.rfind("sleep", 0) == 0)
                sleeps.push_back(event);
        std::vector<std::string> expected;
        for (int channel = 0; channel < 3; ++channel)
            expected.insert(expected.end(), c.stepSleeps.begin(), c.stepSleeps.end());
        EXPECT_EQ(sleeps, expected);
        EXPECT_EQ(worker.dialog.lines().size(), 3u);
        if (c.sleepTakesUs != neverReturnsTime) {
            EXPECT_GE(worker.services.elapsedMs(), 3u * (SETTLE_DELAY_MS + CHANNEL_GAP_MS));
        }
    }
}

namespace {

// A counter that reads 1 ms before the start once the first sleep is over
// (another core's counter), then runs on from the start.
class SteppingBackClock : public WaitClock {
public:
    void sleep(unsigned milliseconds) override
    {
        sleeps.push_back(milliseconds);
        now = sleeps.size() == 1 ? 9000 : now + milliseconds * 1000ull;
    }
    std::uint64_t ticks() override { return now; }
    TickRate tickRate() override { return {1000000, ~std::uint64_t{0}}; }
    std::uint32_t tickCount() override { return 0; } // standing still: no help

    std::uint64_t now = 10000;
    std::vector<unsigned> sleeps;
};

} // namespace

TEST(LoopbackCycle, CounterSteppingBackDoesNotEndTheWait)
{
    SteppingBackClock clock;
    waitAtLeast(clock, SETTLE_DELAY_MS);
    EXPECT_EQ(clock.sleeps, (std::vector<unsigned>{10, 10, 1}));
}

// A bounded run stops by itself before the first cycle past its bound: the
// cycle under way always completes, cycle N + 1 never begins. Each cycle
// takes 330 ms of the fake clock; every channel disagrees every cycle.
// The end rule (/rate's) is asked before each cycle as the bounds are.
TEST(LoopbackCycle, BoundedRunStopsByItselfAtWhicheverBoundComesFirst)
{
    struct RuleAt final : EndRule {
        std::uint32_t at = 0; // 0: never
        bool reached(std::uint32_t cycles) const override { return at != 0 && cycles >= at; }
    };
    const struct {
        RunBounds bounds;
        std::uint32_t cycles;
        std::uint32_t ruleAt = 0;
    } rows[] = {
        {{5, 0}, 5},     // cycles
        {{1, 0}, 1},
        {{0, 1}, 4},     // seconds: cycles begin at 0, 330, 660 and 990 ms
        {{0, 3}, 10},
        {{5, 3}, 5},     // both: the first reached
        {{12, 1}, 4},
        {{30, 0, 500}, 7, 7}, // the end rule long before the bound
        {{12, 0, 500}, 3, 3}, // the rule before the bound
        {{5, 0, 500}, 5, 8},  // the bound before the rule
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.bounds.cycles) + " cycles, " + std::to_string(row.bounds.seconds) + " s");
        Worker worker(unwiredUnit);
        worker.services.setRandomValues({7});
        TestTally tally;
        ASSERT_EQ(worker.flag.onTestButton(worker.button), TestButtonResult::Started);
        RuleAt rule;
        rule.at = row.ruleAt;
        EXPECT_EQ(TestThreadProc(worker.dialog, worker.services, worker.dialog, worker.flag, worker.counter, tally,
                                 row.bounds, row.ruleAt != 0 ? &rule : nullptr),
                  0u);

        EXPECT_EQ(worker.counter.value(), row.cycles);
        EXPECT_TRUE(worker.flag.boundReached());
        EXPECT_FALSE(worker.flag.workerActive());
        EXPECT_EQ(worker.dialog.captions().back(), kTestCaptionIdle);
        EXPECT_EQ(worker.dialog.lines().size(), 3u * row.cycles);
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_EQ(tally.disagreements(channel), row.cycles);
        EXPECT_EQ(tally.testingMilliseconds(0), 330u * row.cycles);
    }
}

namespace {

// A unit wired by hand from the levels written to it: each output's level
// now and before its last write.
struct WiredUnit {
    int now[3] = {1, 1, 1}; // the library's latch starts with every output on
    int before[3] = {1, 1, 1};
    void written(int channel, int level)
    {
        before[channel] = now[channel];
        now[channel] = level;
    }
};

} // namespace

// The diagnosis learns from what the worker tells it of each reading: the
// switches as shown, which outputs the run has driven, and the channel's
// level before this cycle's write. Run through the real worker, a slow
// input on channel 1 or 2 follows its level before, and an input on a
// higher output's line follows that output's switch, which still shows the
// last cycle's level when the lower channel is read.
TEST(LoopbackCycle, DiagnosisSeesTheLevelsTheWorkerDrove)
{
    const struct {
        const char* name;
        int (*input)(const WiredUnit& unit, int channel);
        int channel;
        Finding finding;
        int output;
    } rows[] = {
        {"slow input 1", [](const WiredUnit& u, int c) { return c == 1 ? u.before[1] : u.now[c]; }, 1,
         Finding::Slow, -1},
        {"slow input 2", [](const WiredUnit& u, int c) { return c == 2 ? u.before[2] : u.now[c]; }, 2,
         Finding::Slow, -1},
        {"input 0 on output 2's line", [](const WiredUnit& u, int c) { return c == 0 ? u.now[2] : u.now[c]; }, 0,
         Finding::Crossed, 2},
        {"input 1 on output 2's line", [](const WiredUnit& u, int c) { return c == 1 ? u.now[2] : u.now[c]; }, 1,
         Finding::Crossed, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto unit = std::make_shared<WiredUnit>();
        const auto input = row.input;
        Worker worker([unit, input](int channel, int) { return input(*unit, channel); });
        worker.services.onWrite = [unit](int channel, int level) { unit->written(channel, level); };
        std::vector<int> values;
        std::uint32_t x = 12345;
        for (int i = 0; i < 300; ++i) {
            x = x * 1103515245u + 12345u;
            values.push_back(static_cast<int>(x >> 16 & 0x7FFF));
        }
        worker.services.setRandomValues(values);
        Diagnosis diagnosis;
        worker.alsoListening = &diagnosis;
        worker.run(150);
        const InputFinding finding = diagnosis.input(row.channel);
        EXPECT_EQ(finding.finding, row.finding) << finding.rule;
        EXPECT_EQ(finding.output, row.output);
        EXPECT_EQ(finding.exceptions, 0u);
        for (int c = 0; c < 3; ++c) {
            if (c != row.channel) {
                EXPECT_EQ(diagnosis.input(c).finding, Finding::Ok) << c;
            }
        }
    }
}
