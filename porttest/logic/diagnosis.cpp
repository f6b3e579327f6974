#include "diagnosis.h"

#include <cmath>

namespace zorik {

namespace {

double log2Of(double x)
{
    constexpr double kLn2 = 0.69314718055994530942;
    return std::log(x) / kLn2;
}

// How unlikely, in bits, `n` readings with `missed` of them off a rule are
// for an input that follows that rule with exceptions, at the exception
// rate that suits them best (at most one in two: beyond that the input is
// as good as random, n bits). That is n times the binary entropy of the
// rate seen. Two rules are weighed by the difference: the chance that the
// readings came from the worse one rather than the better.
double bitsAgainst(std::uint64_t missed, std::uint64_t n)
{
    if (missed == 0 || n == 0)
        return 0;
    const double all = static_cast<double>(n);
    const double m = static_cast<double>(missed);
    if (2 * m >= all)
        return all;
    return -(m * log2Of(m / all) + (all - m) * log2Of((all - m) / all));
}

// Continuity-corrected Wilson score interval (Newcombe's method 4) for
// `errors` of `n`, z = 1.96: it keeps its 95 % even for the low rates and
// a few hundred readings where the plain score interval falls short.
void interval95(std::uint64_t errors, std::uint64_t readings, double& low, double& high)
{
    const double z = 1.959963984540054;
    const double n = static_cast<double>(readings);
    const double e = static_cast<double>(errors);
    const double p = e / n;
    const double denominator = 2 * (n + z * z);
    low = 0;
    high = 1;
    if (errors > 0) {
        const double root = std::sqrt(z * z - 2 - 1 / n + 4 * p * (n * (1 - p) + 1));
        low = (2 * e + z * z - 1 - z * root) / denominator;
    }
    if (errors < readings) {
        const double root = std::sqrt(z * z + 2 - 1 / n + 4 * p * (n * (1 - p) - 1));
        high = (2 * e + z * z + 1 + z * root) / denominator;
    }
    if (low < 0)
        low = 0;
    if (low > p)
        low = p;
    if (high > 1)
        high = 1;
    if (high < p)
        high = p;
}

// Misses of every small rule, from the counts by way of the six pairs of
// variables: each pair's four cells are summed once, and a rule over the
// pair then misses what its cells do not predict.
std::uint64_t smallRuleMisses(const std::uint64_t (&seen)[kRuleCombinations][2],
                              std::uint64_t (&misses)[kSmallRules])
{
    std::uint64_t cells[kRulePairs][4][2] = {};
    std::uint64_t n = 0;
    for (int x = 0; x < kRuleCombinations; ++x) {
        n += seen[x][0] + seen[x][1];
        for (int p = 0; p < kRulePairs; ++p) {
            const int cell = ((x >> kRulePairVariables[p][0]) & 1) | ((x >> kRulePairVariables[p][1]) & 1) << 1;
            cells[p][cell][0] += seen[x][0];
            cells[p][cell][1] += seen[x][1];
        }
    }
    const SmallRule (&rules)[kSmallRules] = smallRules();
    for (int i = 0; i < kSmallRules; ++i) {
        const SmallRule& rule = rules[i];
        std::uint64_t missed = 0;
        for (int cell = 0; cell < 4; ++cell)
            missed += cells[rule.pair][cell][((rule.pairTable >> cell) & 1u) ? 0 : 1];
        misses[i] = missed;
    }
    return n;
}

std::uint64_t tableMisses(const std::uint64_t (&seen)[kRuleCombinations][2], RuleTable table)
{
    std::uint64_t missed = 0;
    for (int x = 0; x < kRuleCombinations; ++x)
        missed += seen[x][((table >> x) & 1u) ? 0 : 1];
    return missed;
}

// The margin a rule with `exceptions` of `n` readings needs over every
// other rule. Where two rules differ, an input that follows one of them
// with exceptions at rate p favours the other by M readings with a chance
// of about (p / (1 - p))^M: the margin is the M that makes this at most
// 2^-kMarginBits at the rate seen, and never below kMargin.
std::uint64_t requiredMargin(std::uint64_t exceptions, std::uint64_t n)
{
    if (exceptions == 0 || 2 * exceptions >= n)
        return exceptions == 0 ? Diagnosis::kMargin : ~std::uint64_t(0) / 2;
    const double odds = log2Of(static_cast<double>(n - exceptions) / static_cast<double>(exceptions));
    const double margin = Diagnosis::kMarginBits / odds;
    const std::uint64_t whole = static_cast<std::uint64_t>(margin + 0.999999);
    return whole > Diagnosis::kMargin ? whole : Diagnosis::kMargin;
}

// An input that errs against its own output is called intermittent only
// once no other rule could be what it follows with a few exceptions: each
// rule of up to two variables has missed at least kMargin readings, and
// more than an input following it with exceptions at
// kExceptionRateRuledOut would miss but with a chance below
// 2^-kRuledOutBits (n times the relative entropy of the two rates).
// A random input misses every rule about every other reading; a fixed rule
// with a few exceptions, however close to the own output, never looks so.
bool ruledOut(std::uint64_t missed, std::uint64_t n)
{
    if (missed < Diagnosis::kMargin)
        return false;
    const double q = Diagnosis::kExceptionRateRuledOut;
    const double rate = static_cast<double>(missed) / static_cast<double>(n);
    if (rate <= q)
        return false;
    double bits = rate * log2Of(rate / q);
    if (rate < 1)
        bits += (1 - rate) * log2Of((1 - rate) / (1 - q));
    return static_cast<double>(n) * bits >= Diagnosis::kRuledOutBits;
}

bool onlyOwnOutputFits(const std::uint64_t (&misses)[kSmallRules], std::uint64_t n, RuleTable own,
                       RuleTable majority, std::uint64_t majorityMisses)
{
    const SmallRule (&rules)[kSmallRules] = smallRules();
    for (int i = 0; i < kSmallRules; ++i) {
        if (rules[i].table != own && !ruledOut(misses[i], n))
            return false;
    }
    // The table of three or four variables that fits the readings best is
    // a candidate only while it has fewer than kMargin exceptions: over 16
    // combinations the majority level fits any input, a random one too,
    // better than its own rate.
    return majority == own || isSmallRule(majority) || majorityMisses >= Diagnosis::kMargin;
}

bool fits(RuleTable table, int combination, int level)
{
    return static_cast<int>((table >> combination) & 1u) == level;
}

// Two findings flapped between, in an order that does not flap with them:
// ok last, else as the findings are numbered.
void orderBetween(FindingName (&between)[2])
{
    const bool swap = between[0].finding == Finding::Ok ||
                      (between[1].finding != Finding::Ok && between[1].finding < between[0].finding);
    if (swap) {
        const FindingName first = between[0];
        between[0] = between[1];
        between[1] = first;
    }
}

} // namespace

bool operator==(const FindingName& a, const FindingName& b)
{
    return a.finding == b.finding && a.output == b.output && a.outputs[0] == b.outputs[0] &&
           a.outputs[1] == b.outputs[1];
}

void Diagnosis::cycleBegun(std::uint32_t cycle)
{
    static_cast<void>(cycle);
    if (m_clock == nullptr)
        return;
    const DateTime now = m_clock->now();
    LockHold hold(m_lock);
    m_cycleTime = now;
}

void Diagnosis::addReading(Counts& counts, int combination, int level, int own, bool known)
{
    ++counts.readings;
    if (level != own)
        ++counts.ownMissed;
    if (known) {
        ++counts.known;
        ++counts.seen[combination][level];
    }
}

void Diagnosis::reading(const Reading& reading)
{
    if (reading.channel < 0 || reading.channel >= kInputs)
        return;
    const int c = reading.channel;
    const int level = reading.input != 0 ? 1 : 0;
    const int own = static_cast<int>((reading.outputs >> c) & 1u);
    // A switch the run has not driven yet may not show what the unit gets,
    // and a run's first level has no level before it: such a reading says
    // nothing about a rule over the other outputs or the level before.
    const bool known = (reading.outputsDriven & 7u) == 7u &&
                       (reading.previousOutput == 0 || reading.previousOutput == 1);
    const int combination = static_cast<int>(reading.outputs & 7u) | (reading.previousOutput == 1 ? 8 : 0);

    LockHold hold(m_lock);
    Input& input = m_inputs[c];
    ++input.readings;
    if (reading.disagreement)
        ++input.disagreements;
    Counts& present = input.present;
    if (present.readings == 0) {
        present.firstCycle = reading.cycle;
        present.firstTime = m_cycleTime;
        present.firstRecent = input.recentCount;
    }
    addReading(present, combination, level, own, known);
    if (!known)
        return;
    input.recent[input.recentCount % kRecent] = {reading.cycle, static_cast<std::uint8_t>(combination),
                                                 static_cast<std::uint8_t>(level), m_cycleTime};
    ++input.recentCount;
    // A steady rule that fits the reading stays what it is: the rule of
    // a healthy input, or any fixed fault, costs a comparison a reading.
    const RuleTable namedBefore = present.namedTable;
    const bool wasNamed = present.named;
    if (!(present.steady && fits(present.namedTable, combination, level)))
        decide(present, c);
    if (input.learning) {
        if (present.named)
            settleChange(input, c);
        return;
    }
    if (wasNamed && present.namedTable != namedBefore) {
        // Renamed within the segment: the test starts again on the new rule.
        input.excursion = false;
        input.cusum = 0;
        input.ratesFor = ~std::uint64_t(0);
    }
    testForChange(input, c, combination, level);
    if (input.flapping && !input.learning && present.named) {
        std::uint64_t longest = 0;
        for (int back = 1; back <= input.historyCount && back <= input.flapSegments && back <= 4; ++back) {
            const std::uint64_t known = lastSegment(input, back).known;
            longest = known > longest ? known : longest;
        }
        if (present.known > kSettledTimes * longest)
            input.flapping = false;
    }
}

// The sequential test. A CUSUM of the present rule's misses (a miss
// weighs log2(p1 / p0), a reading it fits log2((1 - p1) / (1 - p0)), p0
// the segment's exception rate, p1 one in two) finds where a run of misses
// began: its excursion from zero, from the miss that started it, is the
// candidate new segment, counted beside the present one. The change is
// told when the readings are 2^kChangeBits likelier split there (the
// present rule before, at its own rate; the best rule of the candidate
// after, at its own) than under the present rule throughout.
void Diagnosis::testForChange(Input& input, int channel, int combination, int level)
{
    Counts& present = input.present;
    if (!present.named)
        return;
    const RuleTable table = present.namedTable;
    const bool miss = !fits(table, combination, level);
    const int own = static_cast<int>((combination >> channel) & 1);
    if (!input.excursion) {
        if (!miss)
            return;
        // The weights follow the segment's rate between excursions: the
        // misses of a change do not dull the test that finds it.
        const std::uint64_t exceptions = tableMisses(present.seen, table) - 1;
        const std::uint64_t known = present.known - 1;
        if (exceptions != input.ratesFor || known >= 2 * input.ratesKnown) {
            input.ratesFor = exceptions;
            input.ratesKnown = known;
            double p0 = (static_cast<double>(exceptions) + 1) / (static_cast<double>(known) + 2);
            if (p0 < 1.0 / 4096)
                p0 = 1.0 / 4096;
            input.testable = p0 < 0.4;
            input.missBits = log2Of(0.5 / p0);
            input.hitBits = log2Of((1 - p0) / 0.5);
        }
        if (!input.testable)
            return;
        input.excursion = true;
        input.cusum = input.missBits;
        input.candidate = Counts();
        input.candidate.firstCycle = input.recent[(input.recentCount - 1) % kRecent].cycle;
        input.candidate.firstTime = m_cycleTime;
        input.candidate.firstRecent = input.recentCount - 1;
        addReading(input.candidate, combination, level, own, true);
        return;
    }
    input.cusum += miss ? input.missBits : -input.hitBits;
    if (input.cusum <= 0) {
        input.cusum = 0;
        input.excursion = false;
        return;
    }
    addReading(input.candidate, combination, level, own, true);
    const std::uint64_t candidateMisses = tableMisses(input.candidate.seen, table);
    if (candidateMisses < kMargin)
        return;
    const std::uint64_t allMisses = tableMisses(present.seen, table);
    const double gain = bitsAgainst(allMisses, present.known) -
                        bitsAgainst(allMisses - candidateMisses, present.known - input.candidate.known);
    if (gain < kChangeBits)
        return;
    std::uint64_t misses[kSmallRules];
    smallRuleMisses(input.candidate.seen, misses);
    std::uint64_t best = candidateMisses;
    for (std::uint64_t missed : misses)
        best = missed < best ? missed : best;
    if (gain - bitsAgainst(best, input.candidate.known) >= kChangeBits)
        tellChange(input, channel);
}

Diagnosis::Segment& Diagnosis::lastSegment(Input& input, int back)
{
    return input.history[(input.historyNext - back + 2 * kHistory) % kHistory];
}

const Diagnosis::Segment& Diagnosis::lastSegment(const Input& input, int back)
{
    return input.history[(input.historyNext - back + 2 * kHistory) % kHistory];
}

// The present segment ends where the candidate began; the candidate's
// readings are the new segment's first, its rule not named yet.
void Diagnosis::tellChange(Input& input, int channel)
{
    Counts old = input.present;
    const Counts& next = input.candidate;
    old.readings -= next.readings;
    old.ownMissed -= next.ownMissed;
    old.known -= next.known;
    for (int x = 0; x < kRuleCombinations; ++x) {
        old.seen[x][0] -= next.seen[x][0];
        old.seen[x][1] -= next.seen[x][1];
    }
    Segment& segment = input.history[input.historyNext];
    input.historyNext = (input.historyNext + 1) % kHistory;
    if (input.historyCount < kHistory)
        ++input.historyCount;
    segment.firstCycle = old.firstCycle;
    segment.lastCycle = next.firstCycle - 1;
    segment.firstTime = old.firstTime;
    segment.name = nameOf(old, channel);
    segment.table = old.namedTable;
    segment.known = old.known;
    input.previous = old;
    input.present = next;
    input.candidate = Counts();
    input.excursion = false;
    input.cusum = 0;
    input.ratesFor = ~std::uint64_t(0);
    input.ratesKnown = 0;
    input.learning = true;
    ++input.changes;
    decide(input.present, channel);
    if (input.present.named)
        settleChange(input, channel);
}

namespace {

// One reading moved between two segments' counts (`sign` +1: added).
void moveReading(std::uint64_t (&seen)[kRuleCombinations][2], std::uint64_t& known, std::uint64_t& readings,
                 std::uint64_t& ownMissed, int combination, int level, int own, int sign)
{
    const std::uint64_t step = static_cast<std::uint64_t>(static_cast<std::int64_t>(sign));
    seen[combination][level] += step;
    known += step;
    readings += step;
    if (level != own)
        ownMissed += step;
}

} // namespace

// The new segment's rule is named. The change began somewhere in the
// readings before the candidate's first: moving the start back by a
// reading the new rule misses costs a miss, by one the old rule misses
// saves one, and the start is where the two together miss least, the
// middle of the readings where they tie (both rules fit them, so nothing
// tells where in them it began), or of the cycles where its ties and
// those of another input's change at the same time overlap: a unit that
// changes often changes several inputs at once. The readings move to the
// new segment, and the old one is named again without them. The same
// finding as before: no change after all (a burst of exceptions), and the
// two segments join again.
void Diagnosis::settleChange(Input& input, int channel)
{
    Segment& last = lastSegment(input);
    Counts& present = input.present;
    Counts& previous = input.previous;
    input.learning = false;
    const std::uint64_t start = present.firstRecent;
    std::uint64_t earliest = previous.firstRecent;
    if (input.recentCount > kRecent && input.recentCount - kRecent > earliest)
        earliest = input.recentCount - kRecent;
    long cost = 0;
    long least = 0;
    std::uint64_t latest = start; // the tie nearest the candidate's start
    std::uint64_t first = start;  // and how far back it reaches
    for (std::uint64_t k = start; k > earliest; --k) {
        const Recent& recent = input.recent[(k - 1) % kRecent];
        cost += (fits(present.namedTable, recent.combination, recent.level) ? 0 : 1) -
                (fits(last.table, recent.combination, recent.level) ? 0 : 1);
        if (cost < least) {
            least = cost;
            latest = k - 1;
            first = k - 1;
        } else if (cost == least && first == k) {
            first = k - 1;
        } else if (cost > least + static_cast<long>(kMargin) * 4) {
            break; // well into the old rule's readings
        }
    }
    std::uint64_t since = (first + latest) / 2;
    input.tieFirst = input.recent[first % kRecent].cycle;
    input.tieLast = input.recent[latest % kRecent].cycle;
    input.tieKnown = true;
    for (Input& other : m_inputs) {
        if (&other == &input || !other.tieKnown || other.learning || other.tieLast < input.tieFirst ||
            other.tieFirst > input.tieLast)
            continue;
        input.tieFirst = other.tieFirst > input.tieFirst ? other.tieFirst : input.tieFirst;
        input.tieLast = other.tieLast < input.tieLast ? other.tieLast : input.tieLast;
    }
    const std::uint32_t sinceCycle = input.tieFirst + (input.tieLast - input.tieFirst) / 2;
    while (since > first && input.recent[since % kRecent].cycle > sinceCycle)
        --since;
    while (since < latest && input.recent[since % kRecent].cycle < sinceCycle)
        ++since;
    for (std::uint64_t k = since; k < start; ++k) {
        const Recent& recent = input.recent[k % kRecent];
        const int own = (recent.combination >> channel) & 1;
        moveReading(present.seen, present.known, present.readings, present.ownMissed, recent.combination,
                    recent.level, own, 1);
        moveReading(previous.seen, previous.known, previous.readings, previous.ownMissed, recent.combination,
                    recent.level, own, -1);
    }
    if (since < start) {
        const Recent& recent = input.recent[since % kRecent];
        present.firstCycle = recent.cycle;
        present.firstTime = recent.time;
        present.firstRecent = since;
        last.lastCycle = recent.cycle - 1;
    }
    last.name = nameOf(previous, channel);
    last.known = previous.known;
    // The other inputs whose change shares these cycles begin where this
    // one does.
    for (int c = 0; c < kInputs; ++c) {
        Input& other = m_inputs[c];
        if (&other != &input && other.tieKnown && !other.learning && other.tieFirst <= input.tieFirst &&
            other.tieLast >= input.tieLast) {
            other.tieFirst = input.tieFirst;
            other.tieLast = input.tieLast;
            moveStart(other, c, present.firstCycle, present.firstTime);
        }
    }

    const FindingName name = nameOf(present, channel);
    if (name == last.name) {
        Counts joined = previous;
        joined.readings += present.readings;
        joined.ownMissed += present.ownMissed;
        joined.known += present.known;
        for (int x = 0; x < kRuleCombinations; ++x) {
            joined.seen[x][0] += present.seen[x][0];
            joined.seen[x][1] += present.seen[x][1];
        }
        joined.steady = false;
        input.present = joined;
        input.historyNext = (input.historyNext - 1 + kHistory) % kHistory;
        --input.historyCount;
        --input.changes;
        input.tieKnown = false;
        decide(input.present, channel);
        return;
    }
    if (input.flapping || (input.historyCount >= 2 && lastSegment(input, 2).name == name)) {
        // The segments since it began to flap: the one it left and came
        // back from first.
        input.flapSegments = input.flapping ? input.flapSegments + 1 : 1;
        input.flapping = true;
        input.between[0] = last.name;
        input.between[1] = name;
        orderBetween(input.between);
    }
}

// Another input's present segment begins at `cycle` instead: the readings
// between the two starts (ties of its own, both its rules fit them) move
// across.
void Diagnosis::moveStart(Input& input, int channel, std::uint32_t cycle, DateTime time)
{
    Counts& present = input.present;
    Segment& last = lastSegment(input);
    std::uint64_t oldest = input.recentCount > kRecent ? input.recentCount - kRecent : 0;
    std::uint64_t k = present.firstRecent;
    while (k > oldest && input.recent[(k - 1) % kRecent].cycle >= cycle) {
        --k;
        const Recent& recent = input.recent[k % kRecent];
        moveReading(present.seen, present.known, present.readings, present.ownMissed, recent.combination,
                    recent.level, (recent.combination >> channel) & 1, 1);
        ++last.known;
    }
    while (k < input.recentCount && input.recent[k % kRecent].cycle < cycle && present.known > 1) {
        const Recent& recent = input.recent[k % kRecent];
        moveReading(present.seen, present.known, present.readings, present.ownMissed, recent.combination,
                    recent.level, (recent.combination >> channel) & 1, -1);
        --last.known;
        ++k;
    }
    // Readings taken out may leave another rule as good as the named one:
    // the next reading weighs them all again.
    present.steady = false;
    if (k >= input.recentCount || k < oldest)
        return;
    present.firstRecent = k;
    present.firstCycle = input.recent[k % kRecent].cycle;
    present.firstTime = time;
    last.lastCycle = present.firstCycle - 1;
}

// The rule. Against its readings every rule of up to two variables has a
// number of misses; on the readings where two rules differ, the one with
// fewer misses is favoured by the difference.
// - A rule of up to two variables is proposed when it is favoured over
//   every other by requiredMargin (its own exceptions raise the bar), and
//   the readings are at least 2^kFixedBits times likelier under it than
//   under an input following its own output with exceptions (for the own
//   output itself: than under a random input).
// - Failing that, the table of the majority level of each of the 16
//   combinations, when it is of three or four variables, is proposed once
//   every combination is settled (its majority leads by kMargin) and it is
//   favoured over every small rule in the same way.
// - Failing that, an input that has erred against its own output is
//   proposed as following it (intermittent) when no other rule could fit
//   (onlyOwnOutputFits).
// The first proposal is named. A named rule is kept through exceptions: a
// proposal takes its place only when the readings are 2^kFixedBits times
// likelier under the proposal than under the named rule. A healthy unit is
// therefore named ok and nothing else: its own output never misses, so no
// other rule is ever favoured over it.
void Diagnosis::decide(Counts& counts, int channel)
{
    std::uint64_t misses[kSmallRules];
    const std::uint64_t n = smallRuleMisses(counts.seen, misses);
    const RuleTable own = variableTable(channel);
    const SmallRule (&rules)[kSmallRules] = smallRules();

    int best = -1;
    std::uint64_t bestMisses = ~std::uint64_t(0);
    std::uint64_t secondMisses = ~std::uint64_t(0);
    std::uint64_t ownMisses = 0;
    for (int i = 0; i < kSmallRules; ++i) {
        if (rules[i].table == own)
            ownMisses = misses[i];
        if (misses[i] < bestMisses) {
            secondMisses = bestMisses;
            bestMisses = misses[i];
            best = i;
        } else if (misses[i] < secondMisses) {
            secondMisses = misses[i];
        }
    }

    RuleTable majority = 0;
    bool settled = true;
    std::uint64_t majorityMisses = 0;
    for (int x = 0; x < kRuleCombinations; ++x) {
        const std::uint64_t ones = counts.seen[x][1];
        const std::uint64_t zeros = counts.seen[x][0];
        settled = settled && (ones >= zeros + kMargin || zeros >= ones + kMargin);
        if (ones > zeros)
            majority = static_cast<RuleTable>(majority | 1u << x);
        majorityMisses += ones > zeros ? zeros : ones;
    }

    // A named rule that still fits as well as any other cannot be displaced:
    // no proposal can be likelier than it.
    // Steady: it fits as well as the table of majorities too. Both stay
    // true through readings it fits, since every other rule's misses and
    // the majorities' can only grow.
    counts.steady = false;
    if (counts.named) {
        const std::uint64_t namedMisses = tableMisses(counts.seen, counts.namedTable);
        counts.steady = namedMisses <= bestMisses && namedMisses <= majorityMisses;
        if (namedMisses <= bestMisses && (!settled || namedMisses <= majorityMisses))
            return;
    }

    bool proposed = false;
    RuleTable proposal = 0;
    std::uint64_t proposalMisses = 0;
    const double againstOwn = bitsAgainst(ownMisses, n);
    // A table of three or four variables that the readings favour over the
    // best small rule by a margin holds it back too: the input follows more
    // than two of the variables, and its table is still settling.
    const bool largerFitsBetter =
        !isSmallRule(majority) && bestMisses >= majorityMisses + requiredMargin(majorityMisses, n);
    if (!largerFitsBetter && secondMisses - bestMisses >= requiredMargin(bestMisses, n)) {
        const RuleTable table = rules[best].table;
        const double against = table == own ? static_cast<double>(n) : againstOwn;
        if (against - bitsAgainst(bestMisses, n) >= kFixedBits) {
            proposed = true;
            proposal = table;
            proposalMisses = bestMisses;
        }
    }
    if (!proposed) {
        if (settled && !isSmallRule(majority) && bestMisses >= majorityMisses &&
            bestMisses - majorityMisses >= requiredMargin(majorityMisses, n) &&
            againstOwn - bitsAgainst(majorityMisses, n) >= kFixedBits) {
            proposed = true;
            proposal = majority;
            proposalMisses = majorityMisses;
        }
    }
    if (!proposed && counts.ownMissed > 0 && !(counts.named && counts.namedTable == own) &&
        onlyOwnOutputFits(misses, n, own, majority, majorityMisses)) {
        proposed = true;
        proposal = own;
        proposalMisses = ownMisses;
    }
    if (!proposed || (counts.named && proposal == counts.namedTable))
        return;
    if (counts.named && bitsAgainst(tableMisses(counts.seen, counts.namedTable), n) -
                                bitsAgainst(proposalMisses, n) < kFixedBits)
        return;
    counts.named = true;
    counts.namedTable = proposal;
    counts.namedRule = ruleFormula(proposal, channel);
}

namespace {

// The finding a rule of input `channel` stands for (Ok for its own output,
// with or without exceptions: the caller tells intermittent apart).
void nameRule(RuleTable table, int channel, InputFinding& result)
{
    const RuleTable own = variableTable(channel);
    const RuleTable prev = variableTable(kPrevVariable);
    result.finding = Finding::Other;
    if (table == own) {
        result.finding = Finding::Ok;
    } else if (table == 0xFFFF) {
        result.finding = Finding::StuckOn;
    } else if (table == 0) {
        result.finding = Finding::StuckOff;
    } else if (table == static_cast<RuleTable>(~own)) {
        result.finding = Finding::Inverted;
    } else if (table == prev) {
        result.finding = Finding::Slow;
    } else if (table == (own & prev)) {
        result.finding = Finding::SlowRise;
    } else if (table == (own | prev)) {
        result.finding = Finding::SlowFall;
    }
    if (result.finding != Finding::Other)
        return;
    for (int k = 0; k < 3; ++k) {
        const RuleTable out = variableTable(k);
        if (table == out || table == static_cast<RuleTable>(~out)) {
            result.finding = table == out ? Finding::Crossed : Finding::CrossedInverted;
            result.output = k;
            return;
        }
        for (int j = 0; j < k; ++j) {
            const RuleTable other = variableTable(j);
            if (table == (out & other) || table == (out | other)) {
                result.finding = Finding::Bridged;
                result.outputs[0] = j;
                result.outputs[1] = k;
                return;
            }
        }
    }
}

} // namespace

namespace {

void rateOf(InputFinding& result)
{
    // With no exception yet the interval still bounds the rate from above.
    if (result.judged > 0) {
        double low = 0;
        double high = 0;
        interval95(result.exceptions, result.judged, low, high);
        result.errorRate = 100.0 * static_cast<double>(result.exceptions) / static_cast<double>(result.judged);
        result.errorRateLow = 100.0 * low;
        result.errorRateHigh = 100.0 * high;
    }
}

} // namespace

FindingName Diagnosis::nameOf(const Counts& counts, int channel)
{
    FindingName name;
    if (!counts.named)
        return name;
    InputFinding finding;
    nameRule(counts.namedTable, channel, finding);
    if (finding.finding == Finding::Ok && counts.ownMissed > 0)
        finding.finding = Finding::Intermittent;
    name.finding = finding.finding;
    name.output = finding.output;
    name.outputs[0] = finding.outputs[0];
    name.outputs[1] = finding.outputs[1];
    return name;
}

InputFinding Diagnosis::findingOf(const Input& input, int channel)
{
    const Counts& counts = input.present;
    InputFinding result;
    result.readings = input.readings;
    result.disagreements = input.disagreements;
    result.since = counts.firstCycle;
    result.sinceTime = counts.firstTime;
    result.changes = input.changes;
    if (input.historyCount > 0) {
        result.hasBefore = true;
        result.before = lastSegment(input).name;
    }
    if (counts.named) {
        result.ruleTable = counts.namedTable;
        result.rule = counts.namedRule;
        nameRule(counts.namedTable, channel, result);
        if (result.finding == Finding::Ok) {
            // The own output is known on every reading, the run's first too.
            result.judged = counts.readings;
            result.exceptions = counts.ownMissed;
            if (result.exceptions > 0)
                result.finding = Finding::Intermittent;
        } else {
            result.judged = counts.known;
            result.exceptions = tableMisses(counts.seen, counts.namedTable);
        }
    } else if (input.flapping) {
        // A flapping input between two segments: held against the rule it
        // last followed.
        const RuleTable table = lastSegment(input).table;
        result.ruleTable = table;
        result.rule = ruleFormula(table, channel);
        result.judged = counts.known;
        result.exceptions = tableMisses(counts.seen, table);
    } else {
        return result;
    }
    if (input.flapping) {
        result.finding = Finding::Intermittent;
        result.output = -1;
        result.outputs[0] = result.outputs[1] = -1;
        result.flapping = true;
        result.between[0] = input.between[0];
        result.between[1] = input.between[1];
    }
    rateOf(result);
    return result;
}

void Diagnosis::reset()
{
    LockHold hold(m_lock);
    for (Input& input : m_inputs)
        input = Input();
}

InputFinding Diagnosis::input(int channel) const
{
    if (channel < 0 || channel >= kInputs)
        return InputFinding();
    LockHold hold(m_lock);
    return findingOf(m_inputs[channel], channel);
}

UnitPresence Diagnosis::unit() const
{
    int stuckOff = 0;
    bool present = false;
    LockHold hold(m_lock);
    for (int c = 0; c < kInputs; ++c) {
        const Counts& counts = m_inputs[c].present;
        const bool off = counts.named && counts.namedTable == 0;
        stuckOff += off;
        present = present || (counts.named && !off);
    }
    if (present)
        return UnitPresence::Present;
    return stuckOff == kInputs ? UnitPresence::Absent : UnitPresence::Undetermined;
}

} // namespace zorik
