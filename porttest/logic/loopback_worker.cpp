#include "loopback_worker.h"

#include "loopback_waits.h"
#include "program_texts.h"

namespace zorik {

namespace {

constexpr int kChannels = 3;

void testChannel(LoopbackDialog& dialog, LoopbackServices& services, TestTally& tally,
                 std::uint32_t cycle, int channel, unsigned pattern)
{
    const int level = (pattern & (1u << channel)) ? 1 : 0;
    dialog.setOutputIndicator(channel, level);
    services.writeOutput(channel, level);
    waitAtLeast(services, SETTLE_DELAY_MS);
    dialog.setInputIndicator(channel, services.readInput(channel) != 0 ? 1 : 0);

    // The indicators are compared, not the values held here: the operator
    // may have clicked the output switch since it was set. Output first,
    // then input, in separate statements so the order is fixed.
    const int outputShown = dialog.outputIndicator(channel);
    const int inputShown = dialog.inputIndicator(channel);
    if (outputShown != inputShown) {
        const LocalTime now = services.localTime();
        const int output = dialog.outputIndicator(channel);
        const int input = dialog.inputIndicator(channel);
        tally.countDisagreement(channel);
        dialog.appendToLog(formatLogLine(cycle, now, channel, output, input));
    }
    if (channel == kChannels - 1)
        waitAtLeast(services, CHANNEL_GAP_MS, [&dialog] { dialog.cycleLogged(); });
    else
        waitAtLeast(services, CHANNEL_GAP_MS);
}

void runCycle(LoopbackDialog& dialog, LoopbackServices& services, CycleCounter& counter,
              TestTally& tally)
{
    const std::uint32_t cycle = counter.next();
    dialog.cycleBegun(cycle);
    const unsigned pattern = static_cast<unsigned>(services.random()) % 8u;
    for (int channel = 0; channel < kChannels; ++channel)
        testChannel(dialog, services, tally, cycle, channel, pattern);
}

} // namespace

unsigned TestThreadProc(LoopbackDialog& dialog, LoopbackServices& services, RunFlag& run,
                        CycleCounter& counter, TestTally& tally, const RunBounds& bounds)
{
    // The flag and the bounds are looked at only between cycles, so a stop
    // lets the running cycle finish all three channels.
    for (;;) {
        dialog.setTestCaption(kTestCaptionRunning);
        tally.beginRunning(services.tickCount());
        while (run.keepCycling()) {
            if (bounds.reached(counter.value(), tally.advance(services.tickCount()))) {
                run.stopAtBound();
                break;
            }
            runCycle(dialog, services, counter, tally);
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
