#include "simulated_unit.h"

#include <algorithm>

namespace zorik::sim {

SimulatedUnit::SimulatedUnit(const SimSettings& settings, MillisecondClock& clock)
    : settings_(settings), clock_(clock), random_(settings.seed)
{
    for (const auto& input : settings_.inputs)
        longestDelayMs_ = std::max({longestDelayMs_, input.delayMs, input.riseDelayMs, input.fallDelayMs});
}

namespace {

// A write through a null pointer the compiler cannot see is one: a real
// access violation, raised by the processor, not an exception thrown.
void faultAsADriverBugWould()
{
    volatile std::uintptr_t address = 0;
    *reinterpret_cast<volatile int*>(address) = 1;
}

} // namespace

std::uint8_t SimulatedUnit::readByte(std::uint16_t port)
{
    if (port != dataPort_ + 1)
        return UNMODELLED_PORT_READ;
    LockHold hold(lock_);
    // Every read of the status register counts, for the glitches and the crash.
    ++statusReads_;
    if (settings_.crashAtRead != 0 && statusReads_ == settings_.crashAtRead)
        faultAsADriverBugWould();
    if (!settings_.unitPresent)
        return ABSENT_UNIT_STATUS;
    return sampleStatus(clock_.nowMs());
}

void SimulatedUnit::writeByte(std::uint16_t port, std::uint8_t value)
{
    if (port != dataPort_)
        return;
    LockHold hold(lock_);
    const std::uint64_t now = clock_.nowMs();
    // Several writes within one millisecond: only the last can ever be seen.
    if (!recentWrites_.empty() && recentWrites_.back().atMs == now)
        recentWrites_.back().value = value;
    else
        recentWrites_.push_back({now, value});
    settleWritesOlderThanLongestDelay(now);
}

std::uint8_t SimulatedUnit::sampleStatus(std::uint64_t now)
{
    settleWritesOlderThanLongestDelay(now);
    std::uint8_t status = UNDRIVEN_STATUS_BITS;
    for (int c = 0; c < INPUT_COUNT; ++c) {
        const InputBehaviour& input = settings_.inputs[c];
        bool on = false;
        if (input.stuck != Stuck::No) {
            on = input.stuck == Stuck::On;
        } else {
            on = lineLevel(input, dataSeenWithDelay(now, input.delayMs));
            if (input.riseDelayMs != 0)
                on = on && lineLevel(input, dataSeenWithDelay(now, input.riseDelayMs));
            if (input.fallDelayMs != 0)
                on = on || lineLevel(input, dataSeenWithDelay(now, input.fallDelayMs));
            if (input.inverted)
                on = !on;
            if (input.errorRatePpm != 0 && random_.below(ERROR_RATE_SCALE) < input.errorRatePpm)
                on = !on;
        }
        // A glitch gets even a stuck input wrong once: a spike on the line.
        for (std::uint64_t glitch : input.glitchReads) {
            if (glitch == statusReads_)
                on = !on;
        }
        // The unit pulls an input line low for "on"; an idle line stays high.
        if (!on)
            status |= static_cast<std::uint8_t>(1u << (c + 4));
    }
    return status;
}

bool SimulatedUnit::lineLevel(const InputBehaviour& input, std::uint8_t data)
{
    bool on = (data >> input.source) & 1u;
    if (input.bridgedWith >= 0) {
        const bool other = (data >> input.bridgedWith) & 1u;
        on = input.bridgeOr ? (on || other) : (on && other);
    }
    return input.sourceInverted ? !on : on;
}

std::uint8_t SimulatedUnit::dataSeenWithDelay(std::uint64_t now, std::uint32_t delayMs) const
{
    std::uint8_t value = settledData_;
    for (const DataWrite& write : recentWrites_) {
        if (write.atMs + delayMs > now)
            break;
        value = write.value;
    }
    return value;
}

void SimulatedUnit::settleWritesOlderThanLongestDelay(std::uint64_t now)
{
    while (!recentWrites_.empty() && recentWrites_.front().atMs + longestDelayMs_ <= now) {
        settledData_ = recentWrites_.front().value;
        recentWrites_.pop_front();
    }
}

} // namespace zorik::sim
