// Figures for the test program's logic: the worker's own cost per cycle
// (waits taken out), log line formatting, the report on exit for a large
// log, and the journal's flushes per minute of simulated time. Prints
// numbers; passes or fails nothing.
#include "log_listener.h"
#include "loopback_worker.h"
#include "reading.h"
#include "report_file.h"
#include "test_journal.h"
#include "loopback_log.h"
#include "loopback_waits.h"
#include "program_texts.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
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

// `answer`: what every input reads, or kEcho for a healthy unit (each
// input reads its output back), or kInvert for one whose every input
// disagrees (three lines a cycle).
constexpr int kEcho = -1;
constexpr int kInvert = -2;

class InstantServices : public LoopbackServices {
public:
    InstantServices(RunFlag& flag, CycleCounter& counter, std::uint32_t cycles, int answer)
        : m_flag(flag), m_counter(counter), m_cycles(cycles), m_answer(answer)
    {
    }
    void writeOutput(int channel, int level) override { m_written[channel] = level; }
    int readInput(int channel) override
    {
        return m_answer == kEcho ? m_written[channel] : m_answer == kInvert ? 1 - m_written[channel] : m_answer;
    }
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
    int m_written[3] = {};
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

// Journal files that keep nothing and count the calls.
class CountingJournalFiles : public JournalFileSystem {
public:
    long writes = 0, flushes = 0;

    std::unique_ptr<JournalFile> create(const std::string&, FileResult& result) override
    {
        result = {};
        return std::make_unique<File>(*this);
    }
    FileResult lastWriteTime(const std::string&, LocalDateTime&) override { return {FileStatus::Missing, 2}; }
    FileResult rename(const std::string&, const std::string&) override { return {}; }
    FileResult remove(const std::string&) override { return {}; }
    std::string describe(unsigned long) override { return {}; }
    FileResult size(const std::string&, std::uint64_t&) override { return {FileStatus::Missing, 2}; }
    FileResult read(const std::string&, std::uint64_t, char*, std::size_t, std::size_t&) override
    {
        return {FileStatus::Missing, 2};
    }
    FileResult truncate(const std::string&, std::uint64_t) override { return {FileStatus::Missing, 2}; }

private:
    class File : public JournalFile {
    public:
        explicit File(CountingJournalFiles& files) : m_files(files) {}
        FileResult write(std::uint64_t, const char*, std::size_t) override
        {
            ++m_files.writes;
            return {};
        }
        FileResult flush() override
        {
            ++m_files.flushes;
            return {};
        }
        FileResult read(std::uint64_t, char* data, std::size_t size) override
        {
            std::fill(data, data + size, '\0');
            return {};
        }

    private:
        CountingJournalFiles& m_files;
    };
};

// The journal's flushes per minute over `minutes` simulated minutes of the
// real worker, its waits taking exactly what they ask (about 330 ms a
// cycle), the journal's tick count the worker's own.
void countJournalFlushes(const char* unit, int answer, int minutes)
{
    RunFlag flag;
    CycleCounter counter;
    TestLog log;
    NullDialog dialog(log);
    const std::uint32_t cycles = static_cast<std::uint32_t>(minutes) * 60000u / (3 * (SETTLE_DELAY_MS + CHANNEL_GAP_MS));
    InstantServices services(flag, counter, cycles, answer);
    CountingJournalFiles files;
    TestJournal journal(log, files, [&services] { return services.tickCount(); });
    LogListener logListener(log, &journal, {});
    ReadingStream stream;
    stream.add(journal);
    stream.add(logListener);
    NoButton button;
    flag.onTestButton(button);
    TestThreadProc(dialog, services, stream, flag, counter);
    const double simulatedMinutes = services.tickCount() / 60000.0;
    // A row of scripts/bench.sh's table.
    std::printf("ROW|journal flushes per minute, %s|%.1f (goal for a healthy unit: at most 12)|host logic bench: "
                "%ld flushes and %ld writes in %u cycles of the real worker over %.2f simulated minutes, "
                "counting journal files\n",
                unit, files.flushes / simulatedMinutes, files.flushes, files.writes, counter.value(),
                simulatedMinutes);
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
    countJournalFlushes("healthy unit", kEcho, 10);
    countJournalFlushes("every input failing (3 lines a cycle)", kInvert, 10);
    std::printf("real cycle for comparison: %u ms of waits\n", 3 * (SETTLE_DELAY_MS + CHANNEL_GAP_MS));
    return 0;
}
