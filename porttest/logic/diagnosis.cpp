#include "diagnosis.h"

namespace zorik {

namespace {

// The math library is left out on purpose: its functions would be new
// imports of Zorik.exe from msvcrt.dll. Both are only ever asked for
// modest precision.

// Newton's iteration from above: it falls monotonically onto the root,
// so it stops as soon as a step no longer goes down.
double squareRoot(double x)
{
    if (!(x > 0))
        return 0;
    double root = x > 1 ? x : 1;
    for (int i = 0; i < 200; ++i) {
        const double next = 0.5 * (root + x / root);
        if (!(next < root))
            break;
        root = next;
    }
    return root;
}

// log2 of x > 0: the power of two taken out, then ln m = 2 atanh((m-1)/(m+1))
// for the mantissa m in [1, 2), whose series converges at least by 1/9.
double log2Of(double x)
{
    int exponent = 0;
    while (x >= 2) {
        x *= 0.5;
        ++exponent;
    }
    while (x < 1) {
        x *= 2;
        --exponent;
    }
    const double z = (x - 1) / (x + 1);
    const double z2 = z * z;
    double term = z;
    double sum = 0;
    for (int k = 1; k < 40; k += 2) {
        sum += term / k;
        term *= z2;
    }
    constexpr double kLn2 = 0.69314718055994530942;
    return exponent + 2 * sum / kLn2;
}

// How unlikely, in bits, an intermittent input would have produced
// `judged` readings with `okMissed` of them off its own output, at the
// error rate that suits those readings best (at most one in two: an input
// that mostly follows its output). That is n times the binary entropy of
// the rate seen, or n bits once half or more disagreed.
double bitsAgainstIntermittent(std::uint64_t judged, std::uint64_t okMissed)
{
    if (okMissed == 0 || judged == 0)
        return 0;
    const double n = static_cast<double>(judged);
    const double m = static_cast<double>(okMissed);
    if (2 * m >= n)
        return n;
    return -(m * log2Of(m / n) + (n - m) * log2Of((n - m) / n));
}

// The other output followed by a crossed candidate of `channel`.
int crossedOutput(int channel, bool higher)
{
    const int low = channel == 0 ? 1 : 0;
    const int high = channel == 2 ? 1 : 2;
    return higher ? high : low;
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
        const double root = squareRoot(z * z - 2 - 1 / n + 4 * p * (n * (1 - p) + 1));
        low = (2 * e + z * z - 1 - z * root) / denominator;
    }
    if (errors < readings) {
        const double root = squareRoot(z * z + 2 - 1 / n + 4 * p * (n * (1 - p) - 1));
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

} // namespace

void Diagnosis::reading(const Reading& reading)
{
    if (reading.channel < 0 || reading.channel >= kInputs)
        return;
    const int c = reading.channel;
    const int input = reading.input != 0 ? 1 : 0;
    const int own = static_cast<int>((reading.outputs >> c) & 1u);

    // What each candidate says the input should read; -1: it says nothing
    // on this reading. A switch the run has not driven yet may not show
    // what the unit gets, and a run's first level has no level before it:
    // a single reading judged on those would rule the true candidate out
    // for good.
    int predicted[kCandidates];
    predicted[kOk] = own;
    predicted[kStuckOn] = 1;
    predicted[kStuckOff] = 0;
    predicted[kInverted] = 1 - own;
    for (int candidate = kCrossedLow; candidate <= kCrossedHigh; ++candidate) {
        const int k = crossedOutput(c, candidate == kCrossedHigh);
        predicted[candidate] = (reading.outputsDriven >> k) & 1u ? static_cast<int>((reading.outputs >> k) & 1u) : -1;
    }
    predicted[kSlow] = reading.previousOutput == 0 || reading.previousOutput == 1 ? reading.previousOutput : -1;

    LockHold hold(m_lock);
    Counts& counts = m_inputs[c];
    ++counts.readings;
    if (reading.disagreement)
        ++counts.disagreements;
    const bool okMissed = input != own;
    for (int candidate = 0; candidate < kCandidates; ++candidate) {
        if (predicted[candidate] < 0)
            continue;
        ++counts.judged[candidate];
        if (predicted[candidate] != input)
            ++counts.missed[candidate];
        if (okMissed)
            ++counts.okMissedWhenJudged[candidate];
    }
}

// The rule. A candidate that fails to predict kRuledOut readings is ruled
// out; fewer misses are not enough, so that one odd reading (a switch
// clicked by the operator in the middle of a step) does not decide.
// - ok: every other candidate ruled out and ok never missed. A healthy
//   unit therefore never gets another finding: ok misses nothing, so no
//   other candidate can rule it out, and only "undetermined" comes before
//   enough readings have told the others apart.
// - a fixed fault (stuck, inverted, crossed, slow): it never missed and
//   every other fixed candidate, ok included, is ruled out. Ruling out ok
//   is not enough against an intermittent input, which produces any
//   readings at all: a 50 % input reads like an inverted one for a while.
//   So the readings must also be unlikely for an intermittent input that
//   mostly follows its output, below 2^-kFixedBits at its best error rate
//   (about 20 readings for inverted, fewer misses needed the more readings
//   agreed with ok). Until then the input stays undetermined.
// - intermittent: ok missed at least once (a healthy unit never
//   disagrees) and every other fixed candidate is ruled out. The error
//   rate does not have to be small.
// - otherwise undetermined.
InputFinding Diagnosis::findingOf(const Counts& counts, int channel)
{
    InputFinding result;
    result.readings = counts.readings;
    result.disagreements = counts.disagreements;

    int open = -1; // the one fixed candidate besides ok not ruled out
    int openCount = 0;
    for (int candidate = kStuckOn; candidate < kCandidates; ++candidate) {
        if (counts.missed[candidate] < kRuledOut) {
            open = candidate;
            ++openCount;
        }
    }
    const std::uint64_t okMissed = counts.missed[kOk];

    if (openCount == 0) {
        if (counts.readings == 0)
            return result;
        if (okMissed == 0) {
            result.finding = Finding::Ok;
            return result;
        }
        result.finding = Finding::Intermittent;
        const double n = static_cast<double>(counts.readings);
        double low = 0;
        double high = 0;
        interval95(okMissed, counts.readings, low, high);
        result.errorRate = 100.0 * static_cast<double>(okMissed) / n;
        result.errorRateLow = 100.0 * low;
        result.errorRateHigh = 100.0 * high;
        return result;
    }
    if (openCount > 1 || okMissed < kRuledOut || counts.missed[open] != 0)
        return result;
    if (bitsAgainstIntermittent(counts.judged[open], counts.okMissedWhenJudged[open]) < kFixedBits)
        return result;

    switch (open) {
    case kStuckOn:
        result.finding = Finding::StuckOn;
        break;
    case kStuckOff:
        result.finding = Finding::StuckOff;
        break;
    case kInverted:
        result.finding = Finding::Inverted;
        break;
    case kCrossedLow:
    case kCrossedHigh:
        result.finding = Finding::Crossed;
        result.output = crossedOutput(channel, open == kCrossedHigh);
        break;
    default:
        result.finding = Finding::Slow;
        break;
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
        const Finding finding = findingOf(m_inputs[c], c).finding;
        stuckOff += finding == Finding::StuckOff;
        present = present || (finding != Finding::StuckOff && finding != Finding::Undetermined);
    }
    if (present)
        return UnitPresence::Present;
    return stuckOff == kInputs ? UnitPresence::Absent : UnitPresence::Undetermined;
}

} // namespace zorik
