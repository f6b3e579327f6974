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

} // namespace

void Diagnosis::reading(const Reading& reading)
{
    if (reading.channel < 0 || reading.channel >= kInputs)
        return;
    const int c = reading.channel;
    const int input = reading.input != 0 ? 1 : 0;
    const int own = static_cast<int>((reading.outputs >> c) & 1u);
    // A switch the run has not driven yet may not show what the unit gets,
    // and a run's first level has no level before it: such a reading says
    // nothing about a rule over the other outputs or the level before.
    const bool known = (reading.outputsDriven & 7u) == 7u &&
                       (reading.previousOutput == 0 || reading.previousOutput == 1);
    const int combination = static_cast<int>(reading.outputs & 7u) | (reading.previousOutput == 1 ? 8 : 0);

    LockHold hold(m_lock);
    Counts& counts = m_inputs[c];
    ++counts.readings;
    if (reading.disagreement)
        ++counts.disagreements;
    if (input != own)
        ++counts.ownMissed;
    if (known) {
        ++counts.seen[combination][input];
        decide(counts, c);
    }
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
    if (counts.named) {
        const std::uint64_t namedMisses = tableMisses(counts.seen, counts.namedTable);
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

InputFinding Diagnosis::findingOf(const Counts& counts, int channel)
{
    InputFinding result;
    result.readings = counts.readings;
    result.disagreements = counts.disagreements;
    if (!counts.named)
        return result;
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
        for (int x = 0; x < kRuleCombinations; ++x)
            result.judged += counts.seen[x][0] + counts.seen[x][1];
        result.exceptions = tableMisses(counts.seen, counts.namedTable);
    }
    // With no exception yet the interval still bounds the rate from above.
    if (result.judged > 0) {
        double low = 0;
        double high = 0;
        interval95(result.exceptions, result.judged, low, high);
        result.errorRate = 100.0 * static_cast<double>(result.exceptions) / static_cast<double>(result.judged);
        result.errorRateLow = 100.0 * low;
        result.errorRateHigh = 100.0 * high;
    }
    return result;
}

void Diagnosis::reset()
{
    LockHold hold(m_lock);
    for (Counts& counts : m_inputs)
        counts = Counts();
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
        const Counts& counts = m_inputs[c];
        const bool off = counts.named && counts.namedTable == 0;
        stuckOff += off;
        present = present || (counts.named && !off);
    }
    if (present)
        return UnitPresence::Present;
    return stuckOff == kInputs ? UnitPresence::Absent : UnitPresence::Undetermined;
}

} // namespace zorik
