// Figures for the test program's logic: the worker's own cost per cycle
// (waits taken out), log line formatting, and the report on exit for a
// large log. Prints numbers; passes or fails nothing.
#include "loopback_worker.h"
#include "report_file.h"
#include "loopback_log.h"
#include "loopback_waits.h"
#include "program_texts.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace zorik;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A dialog and a unit that cost nothing, so that only the worker is timed.
class NullDialog : public LoopbackDialog, public ReadingListener {
public:
    explicit NullDialog(TestLog& log) : m_log(log) {}
    void setOutputIndicator(int channel, int checked) override { m_output[channel] = checked; }
    int outputIndicator(int channel) override { return m_output[channel]; }
    void setInputIndicator(int channel, int checked) override { m_input[channel] = checked; }
    int inputIndicator(int channel) override { return m_input[channel]; }
    void matchOutputsToSwitches() override {}
    void setTestCaption(const std::string&) override {}
    void reading(const Reading& reading) override
    {
        if (reading.disagreement)
            m_log.append(formatLogLine(reading.cycle, reading.time, reading.channel, reading.lineOutput,
                                       reading.lineInput));
    }

private:
    TestLog& m_log;
    int m_output[3] = {};
    int m_input[3] = {};
};

struct NoButton : TestButtonActions {
    bool startWorkerThread() override { return true; }
    void killPollTimer() override {}
    void setPollTimer() override {}
};

class InstantServices : public LoopbackServices {
public:
    InstantServices(RunFlag& flag, CycleCounter& counter, std::uint32_t cycles, int answer)
        : m_flag(flag), m_counter(counter), m_cycles(cycles), m_answer(answer)
    {
    }
    void writeOutput(int, int) override {}
    int readInput(int) override { return m_answer; }
    void sleep(unsigned milliseconds) override
    {
        // Time passes by exactly what is asked, so every wait is one sleep.
        m_ticks += milliseconds;
        if (m_counter.value() >= m_cycles && m_flag.value() == 1)
            m_flag.onTestButton(m_button);
    }
    std::uint64_t ticks() override { return m_ticks; }
    TickRate tickRate() override { return {1000, ~std::uint64_t{0}}; }
    std::uint32_t tickCount() override { return static_cast<std::uint32_t>(m_ticks); }
    LocalTime localTime() override { return {12, 34, 56}; }
    int random() override { return static_cast<int>(m_next++); }

private:
    RunFlag& m_flag;
    CycleCounter& m_counter;
    std::uint32_t m_cycles;
    int m_answer;
    unsigned m_next = 0;
    std::uint64_t m_ticks = 0;
    NoButton m_button;
};

// Runs `cycles` cycles against a unit that always reads `answer`; returns
// the seconds taken.
double timeCycles(std::uint32_t cycles, int answer, TestLog& log)
{
    RunFlag flag;
    CycleCounter counter;
    NullDialog dialog(log);
    InstantServices services(flag, counter, cycles, answer);
    NoButton button;
    flag.onTestButton(button);
    const auto start = Clock::now();
    TestThreadProc(dialog, services, dialog, flag, counter);
    return secondsSince(start);
}

} // namespace

int main()
{
    const std::uint32_t cycles = 200000;
    {
        TestLog log;
        const double seconds = timeCycles(cycles, 0, log);
        std::printf("worker, unwired unit: %u cycles in %.3f s, %.2f us per cycle, log %zu bytes\n",
                    cycles, seconds, seconds * 1e6 / cycles, log.size());

        const auto start = Clock::now();
        const ReportSnapshot snapshot = takeReportSnapshot(log, CycleCounter(cycles));
        const double snapshotSeconds = secondsSince(start);
        const auto translateStart = Clock::now();
        const std::string bytes = reportFileBytes(snapshot);
        const double translateSeconds = secondsSince(translateStart);
        std::printf("report of that log: snapshot %.2f ms, file bytes %.2f ms (%zu bytes, %.0f MB/s)\n",
                    snapshotSeconds * 1e3, translateSeconds * 1e3, bytes.size(),
                    bytes.size() / translateSeconds / 1e6);
    }
    {
        TestLog log;
        const double seconds = timeCycles(cycles, 1, log);
        std::printf("worker, unit reading 1 everywhere: %.2f us per cycle, log %zu bytes\n",
                    seconds * 1e6 / cycles, log.size());
    }
    {
        const int lines = 1000000;
        std::size_t bytes = 0;
        const auto start = Clock::now();
        for (int i = 0; i < lines; ++i)
            bytes += formatLogLine(static_cast<std::uint32_t>(i), {i % 24, i % 60, i % 60}, i % 3, 1, 0).size();
        const double seconds = secondsSince(start);
        std::printf("formatLogLine: %.0f ns per line (%zu bytes)\n", seconds * 1e9 / lines, bytes);
    }
    std::printf("real cycle for comparison: %u ms of waits\n", 3 * (SETTLE_DELAY_MS + CHANNEL_GAP_MS));
    return 0;
}
