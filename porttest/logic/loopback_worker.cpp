#include "loopback_worker.h"

#include "loopback_waits.h"
#include "program_texts.h"

#include <new>

namespace zorik {

namespace {

constexpr int kChannels = 3;

// What the worker knows between readings of one run: the levels it has
// shown on the switches and which outputs it has driven since the run
// began.
struct RunOutputs {
    unsigned shown = 0;
    unsigned driven = 0;
};

void testChannel(LoopbackDialog& dialog, LoopbackServices& services, TestTally& tally,
                 ReadingListener& listener, RunOutputs& outputs, std::uint32_t cycle, int channel,
                 unsigned pattern)
{
    const unsigned mask = 1u << channel;
    const int level = (pattern & mask) ? 1 : 0;
    Reading reading;
    reading.cycle = cycle;
    reading.channel = channel;
    reading.previousOutput = (outputs.driven & mask) ? ((outputs.shown & mask) ? 1 : 0) : -1;

    dialog.setOutputIndicator(channel, level);
    services.writeOutput(channel, level);
    outputs.driven |= mask;
    waitAtLeast(services, SETTLE_DELAY_MS);
    dialog.setInputIndicator(channel, services.readInput(channel) != 0 ? 1 : 0);
    // The gap is timed from the reading: whatever the reading's listeners
    // do (a log line, the journal, the box) happens inside it, so a failing
    // unit's cycle lasts as long as a healthy one's.
    const WaitStart gapStart = beginWait(services);

    // The indicators are compared, not the values held here: the operator
    // may have clicked the output switch since it was set. Output first,
    // then input, in separate statements so the order is fixed.
    const int outputShown = dialog.outputIndicator(channel);
    const int inputShown = dialog.inputIndicator(channel);
    outputs.shown = (outputs.shown & ~mask) | (outputShown ? mask : 0u);
    reading.outputs = outputs.shown;
    reading.outputsDriven = outputs.driven;
    reading.input = inputShown;
    if (outputShown != inputShown) {
        reading.disagreement = true;
        reading.time = services.localTime();
        reading.lineOutput = dialog.outputIndicator(channel);
        reading.lineInput = dialog.inputIndicator(channel);
    }
    // Counted before anyone else hears of it: the summary never shows
    // fewer disagreements than the log box.
    tally.reading(reading);
    listener.reading(reading);
    if (channel == kChannels - 1)
        listener.cycleEnded(cycle);
    waitAtLeast(services, CHANNEL_GAP_MS, gapStart);
}

void runCycle(LoopbackDialog& dialog, LoopbackServices& services, CycleCounter& counter,
              TestTally& tally, ReadingListener& listener, RunOutputs& outputs)
{
    const std::uint32_t cycle = counter.next();
    listener.cycleBegun(cycle);
    const unsigned pattern = static_cast<unsigned>(services.random()) % 8u;
    for (int channel = 0; channel < kChannels; ++channel)
        testChannel(dialog, services, tally, listener, outputs, cycle, channel, pattern);
}

} // namespace

unsigned TestThreadProc(LoopbackDialog& dialog, LoopbackServices& services, ReadingListener& listener,
                        RunFlag& run, CycleCounter& counter, TestTally& tally, const RunBounds& bounds,
                        const EndRule* endRule)
{
    // The flag and the bounds are looked at only between cycles, so a stop
    // lets the running cycle finish all three channels.
    for (;;) {
        dialog.setTestCaption(kTestCaptionRunning);
        tally.beginRunning(services.tickCount());
        // A new run trusts no switch until it has driven its output: the
        // operator may have changed the switches between runs.
        RunOutputs outputs;
        while (run.keepCycling()) {
            if (bounds.reached(counter.value(), tally.advance(services.tickCount())) ||
                (endRule != nullptr && endRule->reached(counter.value()))) {
                run.stopAtBound();
                break;
            }
            // Memory that runs out mid-cycle ends the run as a bound
            // would, so that the results so far can still be saved.
            try {
                runCycle(dialog, services, counter, tally, listener, outputs);
            } catch (const std::bad_alloc&) {
                run.stopOutOfMemory();
                break;
            }
        }
        tally.endRunning(services.tickCount());
        dialog.matchOutputsToSwitches();
        dialog.setTestCaption(kTestCaptionIdle);
        // The caption is restored before retiring: once retired, a new
        // worker may own the dialog and this one must leave it alone.
        if (run.retireWorker())
            return 0;
    }
}

} // namespace zorik
