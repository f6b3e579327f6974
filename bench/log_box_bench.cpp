// The log box as the log grows, through the program's own code: a log
// line appended (m_strLog's TestLog::append, then CLogBox::AppendLine on
// the box) with 100 and with 100,000 lines in the log; the private memory
// one more line costs once the box is full; and the loopback cycle period
// of the real worker, with the program's waits, against a unit whose every
// input disagrees (three lines a cycle), with 100 and with 100,000 lines
// already in the log. Both logs and their boxes live side by side and the
// measurements alternate between them, so that a shared machine's changing
// load falls on both alike. The boxes are made like the dialog's IDC_LOG:
// multi-line, read-only, automatic vertical scroll, vertical scroll bar,
// border, the dialog's Gulim font. Also the journal (test_journal.h): the
// same worker's cycle period with and without it, in alternating rounds,
// and its own cost per line with 100 and with 100,000 lines in it; and the
// cycle period with and without the summary line kept current (the
// dialog's 250 ms timer formatting the figures into a static below the
// box, in its verdict colours), in alternating rounds. Prints figures;
// judges nothing.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "figures.h"
#include "framework/log_box.h"
#include "framework/summary_static.h"
#include "framework/tick_clock.h"
#include "framework/windows_journal_files.h"
#include "diagnosis.h"
#include "log_listener.h"
#include "reading.h"
#include "loopback_log.h"
#include "loopback_worker.h"
#include "program_texts.h"
#include "stdio_report_file.h"
#include "summary_line.h"
#include "test_tally.h"
#include "wine_host_process.h"

using namespace zorik::bench;

namespace {

// As the dialog's: it carries nothing, the window's thread takes the lines
// the log holds past those it has shown.
constexpr UINT WM_SHOW_NEW_LOG_LINES = WM_APP + 1;

struct HostState {
    CLogBox* box;
    zorik::TestLog* log = nullptr;
    std::size_t shown = 0;
};
constexpr UINT_PTR kSummaryTimerId = 11;
constexpr UINT kSummaryPeriodMs = 250;

// A typical disagreement line, code page 949 bytes.
std::string logLine(std::uint32_t cycle) {
    return zorik::formatLogLine(cycle, {12, 34, 56}, cycle % 3, 1, 0);
}

// "Error Check", the header and `lines` lines, in a string with room for
// `extraLines` more, so that the log's own growth is its bytes and no more.
std::string logWithLines(int lines, int extraLines) {
    std::string text = std::string(zorik::kLogInitialText) + zorik::formatLogHeader();
    text.reserve(text.size() + static_cast<std::size_t>(lines + extraLines) * 80);
    for (int i = 0; i < lines; ++i)
        text += logLine(static_cast<std::uint32_t>(i + 1));
    return text;
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The summary line as the dialog keeps it, on the window's thread.
struct SummaryKeeper {
    CSummaryStatic line;
    const zorik::CycleCounter* counter = nullptr;
    const zorik::TestTally* tally = nullptr;

    void update() {
        zorik::SummaryFigures figures;
        figures.cycles = counter->value();
        for (int channel = 0; channel < 3; ++channel)
            figures.disagreements[channel] = tally->disagreements(channel);
        figures.testingSeconds = tally->testingMilliseconds(::GetTickCount()) / 1000;
        line.Show(zorik::formatSummary(figures), zorik::verdictOf(figures));
        UpdateWindow(line.m_hWnd);
    }
};

// Set while a round keeps the summary current.
SummaryKeeper* g_summary = nullptr;

// From a line's post by the worker (right after its reading) to the box
// holding it: what the operator waits for. Only the first line of a batch
// is posted; the others wait less.
std::atomic<long long> g_postedAtUs{0};
std::vector<double> g_boxDelaysMs;

long long microsecondsNow() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

// The dialog's side: a window owning the log box, which appends the
// worker's lines on its own thread as the dialog does.
LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kSummaryTimerId && g_summary != nullptr) {
        g_summary->update();
        return 0;
    }
    if (message == WM_CTLCOLORSTATIC && g_summary != nullptr &&
        reinterpret_cast<HWND>(lParam) == g_summary->line.m_hWnd) {
        if (HBRUSH brush = g_summary->line.Colours(reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
    }
    if (message == WM_SHOW_NEW_LOG_LINES) {
        // As the dialog does: the lines waiting for the box, one by one.
        auto* state = reinterpret_cast<HostState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        bool dropped = false;
        const std::string added = state->log->takeForBox(dropped);
        for (std::size_t start = 0; start < added.size();) {
            const std::size_t end = added.find('\n', start) + 1;
            state->box->AppendLine(added.substr(start, end - start));
            start = end;
        }
        if (const long long posted = g_postedAtUs.exchange(0))
            g_boxDelaysMs.push_back(static_cast<double>(microsecondsNow() - posted) / 1000.0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class LogBoxWindow {
public:
    explicit LogBoxWindow(int top) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = hostProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "ZorikLogBoxBench";
        RegisterClassA(&windowClass); // fails harmlessly the second time
        parent_ = CreateWindowExA(0, "ZorikLogBoxBench", "log box bench", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                  0, top, 400, 280, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        box_.m_hWnd = CreateWindowExA(
            0, "EDIT", "",
            WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                ES_AUTOVSCROLL,
            10, 10, 362, 212, parent_, reinterpret_cast<HMENU>(1018), GetModuleHandleA(nullptr), nullptr);
        summary_ = CreateWindowExA(0, "STATIC", "",
                                   WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX | SS_CENTERIMAGE,
                                   10, 226, 362, 30, parent_, reinterpret_cast<HMENU>(1019),
                                   GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state_));
        // 굴림 9 pt, as the dialog template asks.
        font_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, HANGEUL_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, L"\uAD74\uB9BC");
        box_.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        SendMessageA(summary_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        pumpMessages();
    }
    ~LogBoxWindow() {
        DestroyWindow(parent_);
        DeleteObject(font_);
    }
    LogBoxWindow(const LogBoxWindow&) = delete;
    LogBoxWindow& operator=(const LogBoxWindow&) = delete;

    bool ok() const { return parent_ != nullptr && box_.m_hWnd != nullptr; }
    HWND host() const { return parent_; }
    HWND summary() const { return summary_; }
    CLogBox& box() { return box_; }
    // The worker's lines come from `log`, of which the box shows all so far.
    void follow(zorik::TestLog& log) { state_.log = &log; }
    void paint() const { UpdateWindow(box_.m_hWnd); }
    std::size_t length() const { return static_cast<std::size_t>(GetWindowTextLengthA(box_.m_hWnd)); }

private:
    HWND parent_ = nullptr;
    HWND summary_ = nullptr;
    CLogBox box_;
    HostState state_{&box_};
    HFONT font_ = nullptr;
};

// Private memory (resident anonymous, from the host's /proc) of this
// process; nothing where it cannot be read.
std::optional<std::uint64_t> privateBytes(const std::optional<WineHostProcess>& self) {
    if (!self)
        return std::nullopt;
    const auto usage = self->usage();
    if (!usage)
        return std::nullopt;
    return usage->privateBytes;
}

// The worker's unit and clocks: every input reads the opposite of its
// output, the waits are the program's (Sleep checked by the counter).
// Records when each cycle began and stops the test after `cycles`.
class DisagreeingServices : public zorik::LoopbackServices {
public:
    DisagreeingServices(zorik::RunFlag& flag, zorik::CycleCounter& counter, std::uint32_t cycles)
        : flag_(flag), counter_(counter), stopAfter_(counter.value() + cycles) {}

    void writeOutput(int channel, int level) override { written_[channel] = level; }
    int readInput(int channel) override { return written_[channel] ? 0 : 1; }
    void sleep(unsigned milliseconds) override {
        ::Sleep(milliseconds);
        if (counter_.value() >= stopAfter_ && flag_.value() == 1)
            flag_.onTestButton(noButton_);
    }
    std::uint64_t ticks() override { return TickClockNow(); }
    zorik::TickRate tickRate() override { return TickClockRate(); }
    std::uint32_t tickCount() override { return GetTickCount(); }
    zorik::LocalTime localTime() override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return {now.wHour, now.wMinute, now.wSecond};
    }
    int random() override {
        cycleStarts.push_back(Clock::now());
        return std::rand();
    }

    std::vector<Clock::time_point> cycleStarts;

private:
    struct NoButton : zorik::TestButtonActions {
        bool startWorkerThread() override { return true; }
        void killPollTimer() override {}
        void setPollTimer() override {}
    };

    zorik::RunFlag& flag_;
    zorik::CycleCounter& counter_;
    std::uint32_t stopAfter_;
    int written_[3] = {};
    NoButton noButton_;
};

// The dialog as the worker sees it: indicators held here. Log lines reach
// m_strLog and, through a posted message to the window's thread, the box,
// as in the program (benchCycles' stream).
class BenchDialog : public zorik::LoopbackDialog {
public:
    BenchDialog(zorik::TestLog& log, HWND host) : log_(log), host_(host) {}
    void setOutputIndicator(int channel, int checked) override { output_[channel] = checked; }
    int outputIndicator(int channel) override { return output_[channel]; }
    void setInputIndicator(int channel, int checked) override { input_[channel] = checked; }
    int inputIndicator(int channel) override { return input_[channel]; }
    void setTestCaption(const std::string&) override {}
    void matchOutputsToSwitches() override {}

private:
    zorik::TestLog& log_;
    HWND host_;
    int output_[3] = {};
    int input_[3] = {};
};

struct Worker {
    zorik::LoopbackDialog* dialog;
    zorik::ReadingListener* readings;
    DisagreeingServices* services;
    zorik::RunFlag* flag;
    zorik::CycleCounter* counter;
    zorik::TestTally* tally;
};

DWORD WINAPI workerEntry(LPVOID parameter) {
    const Worker& worker = *static_cast<Worker*>(parameter);
    return zorik::TestThreadProc(*worker.dialog, *worker.services, *worker.readings, *worker.flag,
                                 *worker.counter, *worker.tally);
}

// Single cycle periods (ms) of `cycles` cycles of the real worker, the
// first two left out; its lines journaled as the program does when
// `journal` is given; `extra` (or null) hears the readings after the log,
// as any further listener of the program's stream would; with `summary`,
// the summary line is kept current meanwhile.
std::vector<double> benchCycles(LogBoxWindow& window, zorik::TestLog& log, std::uint32_t cycles,
                                zorik::TestJournal* journal = nullptr, bool summary = false,
                                zorik::ReadingListener* extra = nullptr) {
    zorik::RunFlag flag;
    zorik::CycleCounter counter;
    zorik::TestTally tally;
    window.follow(log);
    BenchDialog dialog(log, window.host());
    const HWND host = window.host();
    zorik::LogListener logListener(log, journal, [host] {
        g_postedAtUs = microsecondsNow();
        PostMessageA(host, WM_SHOW_NEW_LOG_LINES, 0, 0);
    });
    zorik::ReadingStream readings;
    if (journal)
        readings.add(*journal);
    readings.add(logListener);
    if (extra)
        readings.add(*extra);
    DisagreeingServices services(flag, counter, cycles);
    Worker worker{&dialog, &readings, &services, &flag, &counter, &tally};
    SummaryKeeper keeper;
    keeper.line.m_hWnd = window.summary();
    keeper.counter = &counter;
    keeper.tally = &tally;
    if (summary) {
        g_summary = &keeper;
        SetTimer(window.host(), kSummaryTimerId, kSummaryPeriodMs, nullptr);
    }
    struct Starter : zorik::TestButtonActions {
        Worker* worker = nullptr;
        HANDLE thread = nullptr;
        bool startWorkerThread() override {
            thread = CreateThread(nullptr, 0, workerEntry, worker, 0, nullptr);
            return thread != nullptr;
        }
        void killPollTimer() override {}
        void setPollTimer() override {}
    } starter;
    starter.worker = &worker;
    flag.onTestButton(starter);
    if (starter.thread == nullptr)
        return {};
    // The window's thread serves the worker's messages until it ends.
    while (MsgWaitForMultipleObjects(1, &starter.thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        pumpMessages();
    CloseHandle(starter.thread);
    pumpMessages();
    if (summary) {
        KillTimer(window.host(), kSummaryTimerId);
        g_summary = nullptr;
    }
    std::vector<double> periods;
    for (std::size_t i = 3; i < services.cycleStarts.size(); ++i)
        periods.push_back(millisBetween(services.cycleStarts[i - 1], services.cycleStarts[i]));
    return periods;
}

// One log of `lines` lines and its box, filled as the dialog fills it.
struct Subject {
    Subject(int lines, int top, int moreLines)
        : lines(lines), window(top), log(logWithLines(lines, moreLines)) {
        window.box().Show(log.text());
        pumpMessages();
        // The first lines pay for font and layout caches; keep them out.
        for (int i = 0; i < 5; ++i)
            append(logLine(static_cast<std::uint32_t>(lines + 1 + i)));
        window.paint();
        pumpMessages();
    }
    // What the program does with one line on its two threads, here on one.
    void append(const std::string& line) {
        log.append(line);
        window.box().AppendLine(line);
    }

    int lines;
    LogBoxWindow window;
    zorik::TestLog log;
    std::vector<double> bare;    // ms per append
    std::vector<double> painted; // ms per append and the repaint it causes
    std::vector<double> periods; // ms per cycle
};

// What the worker's stream holds besides the log's listener in a round:
// the journal (which the log listener then asks whether it holds the
// lines) and one more listener, heard after the log.
struct StreamAddition {
    zorik::TestJournal* journal = nullptr;
    zorik::ReadingListener* listener = nullptr;
};

// Cycle periods with `on` and with `off` in the stream, in `rounds`
// alternating rounds of `cycles` cycles on `subject`'s log; one row
// comparing them under the name `what`.
void benchOnOff(Subject& subject, const char* what, StreamAddition on, StreamAddition off, int rounds,
                std::uint32_t cycles) {
    std::vector<double> withIt, without;
    const auto run = [&](const StreamAddition& addition, std::vector<double>& periods) {
        const auto taken =
            benchCycles(subject.window, subject.log, cycles, addition.journal, false, addition.listener);
        periods.insert(periods.end(), taken.begin(), taken.end());
    };
    for (int round = 0; round < rounds; ++round) {
        run(on, withIt);
        run(off, without);
    }
    std::printf("ROW|cycle period, 3 lines a cycle, %s on / off|median %.1f / %.1f ms: %.4f|"
                "%zu cycles each, %d rounds alternating; worst %.1f / %.1f ms\n",
                what, median(withIt), median(without), median(withIt) / median(without), withIt.size(), rounds,
                worst(withIt), worst(without));
}

// One append to each subject in turn, so that both see the same load of a
// shared machine.
void benchAppends(Subject* subjects[2], int appends) {
    for (int i = 0; i < appends; ++i)
        for (int s = 0; s < 2; ++s) {
            Subject& subject = *subjects[s];
            const std::string line = logLine(static_cast<std::uint32_t>(subject.lines + 6 + i));
            const auto start = Clock::now();
            subject.append(line);
            const auto appended = Clock::now();
            subject.window.paint();
            const auto end = Clock::now();
            subject.bare.push_back(millisBetween(start, appended));
            subject.painted.push_back(millisBetween(start, end));
            pumpMessages();
        }
}

void benchMemory(Subject& subject, const std::optional<WineHostProcess>& self, int lines) {
    const auto appendLines = [&](int count) {
        for (int i = 0; i < count; ++i) {
            subject.append(logLine(static_cast<std::uint32_t>(i)));
            if (i % 50 == 0) {
                subject.window.paint();
                pumpMessages();
            }
        }
    };
    // A full round of the box first, so that what filling it left behind
    // has settled.
    appendLines(1000);
    const std::size_t logBefore = subject.log.size();
    const auto before = privateBytes(self);
    appendLines(lines);
    const auto after = privateBytes(self);
    if (!before || !after) {
        std::printf("note: private memory could not be read from /proc\n");
        return;
    }
    std::printf("ROW|private memory per line, box full|%.0f bytes (log's own %.0f)|"
                "%d lines appended at %d lines; resident anonymous memory from /proc, %.2f -> %.2f MiB\n",
                (static_cast<double>(*after) - static_cast<double>(*before)) / lines,
                static_cast<double>(subject.log.size() - logBefore) / lines, lines, subject.lines,
                static_cast<double>(*before) / 1048576.0, static_cast<double>(*after) / 1048576.0);
}

// The journal's own cost per line (SetFilePointer and WriteFile into the
// file cache) with 100 and with 100,000 lines in it, alternating, and the
// cost of its once-a-cycle flush.
void benchJournalLines() {
    WindowsJournalFiles files;
    zorik::TestLog smallLog(logWithLines(100, 0)), largeLog(logWithLines(100000, 0));
    zorik::TestJournal small(smallLog, files), large(largeLog, files);
    small.cycleBegun(1);
    large.cycleBegun(1);
    if (small.fileName().empty() || large.fileName().empty()) {
        std::printf("journal bench: no journal could be made in the current directory\n");
        return;
    }
    // Lines in batches of ten, so that the clock's microsecond steps do
    // not decide the figure; a flush after each batch, as after a cycle.
    constexpr int batch = 10;
    std::vector<double> perLine[2], flushes;
    zorik::TestJournal* journals[2] = {&small, &large};
    for (int i = 0; i < 100; ++i)
        for (int j = 0; j < 2; ++j) {
            zorik::Reading lines[batch];
            for (int k = 0; k < batch; ++k) {
                lines[k].cycle = static_cast<std::uint32_t>(i * batch + k);
                lines[k].disagreement = true;
                lines[k].lineOutput = 1;
            }
            const auto start = Clock::now();
            for (const zorik::Reading& reading : lines)
                journals[j]->reading(reading);
            perLine[j].push_back(millisBetween(start, Clock::now()) * 1000.0 / batch);
            const auto flushStart = Clock::now();
            journals[j]->cycleEnded(0);
            flushes.push_back(millisBetween(flushStart, Clock::now()));
        }
    std::printf("ROW|journal: one line written, 100 lines in it|median %.2f us, worst %.2f us|"
                "%zu batches of %d lines, alternating with the other\n",
                median(perLine[0]), worst(perLine[0]), perLine[0].size(), batch);
    std::printf("ROW|journal: one line written, 100,000 lines in it|median %.2f us, worst %.2f us|"
                "%.2f times the above\n",
                median(perLine[1]), worst(perLine[1]), median(perLine[1]) / median(perLine[0]));
    std::printf("ROW|journal: flush once a cycle (FlushFileBuffers)|median %.2f ms, worst %.2f ms|"
                "%zu flushes, one after each batch; taken from the cycle's last 100 ms wait\n",
                median(flushes), worst(flushes), flushes.size());
    small.finish(false);
    large.finish(false);
}

// Private memory and the report's save as the log grows to 1,000,000
// lines, at full speed with no waits: the program's TestLog, TestJournal
// over the Windows file calls (GetTickCount for its count's flushes) and
// LogListener in a stream, fed readings made here, three disagreements a
// cycle; the box's lines are taken every 100 cycles as the UI thread
// would. At 1,000, 100,000 and 1,000,000 lines: the process's resident
// anonymous memory (/proc, as benchMemory), then TestJournal::writeReport
// timed into the temporary folder through StdioReportFileSystem.
int benchFlatMemory(const std::optional<WineHostProcess>& self) {
    zorik::TestLog log(std::string(zorik::kLogInitialText) + zorik::formatLogHeader());
    WindowsJournalFiles files;
    zorik::TestJournal journal(log, files, [] { return static_cast<std::uint32_t>(GetTickCount()); });
    zorik::LogListener listener(log, &journal, {});
    zorik::ReadingStream stream;
    stream.add(journal);
    stream.add(listener);
    zorik::StdioReportFileSystem reports;
    const char* const reportName = "FlatMemoryReport.txt";

    zorik::Reading reading;
    reading.disagreement = true;
    reading.outputsDriven = 7;
    reading.lineOutput = 1;
    reading.lineInput = 0;
    std::uint32_t cycle = 0;
    long lines = 0;
    std::optional<std::uint64_t> firstBytes;
    double feedMillis = 0;
    for (const long checkpoint : {1000L, 100000L, 1000000L}) {
        const auto feedStart = Clock::now();
        while (lines < checkpoint) {
            stream.cycleBegun(++cycle);
            reading.cycle = cycle;
            reading.time = {static_cast<int>(cycle / 10800 % 24), static_cast<int>(cycle / 180 % 60),
                            static_cast<int>(cycle / 3 % 60)};
            for (int channel = 0; channel < 3 && lines < checkpoint; ++channel, ++lines) {
                reading.channel = channel;
                reading.outputs = cycle & 7u;
                stream.reading(reading);
            }
            stream.cycleEnded(cycle);
            if (cycle % 100 == 0) {
                bool dropped = false;
                log.takeForBox(dropped);
            }
        }
        bool dropped = false;
        log.takeForBox(dropped);
        feedMillis += millisBetween(feedStart, Clock::now());
        if (journal.fileName().empty()) {
            std::printf("flat memory bench: the journal could not be made or written in the temporary "
                        "folder: %s\n", journal.takeFailureNotice().value_or("(no notice)").c_str());
            return 2;
        }
        const auto bytes = privateBytes(self);
        if (!firstBytes)
            firstBytes = bytes;
        const auto saveStart = Clock::now();
        const bool saved = journal.writeReport(cycle, reports, reportName);
        const double saveMillis = millisBetween(saveStart, Clock::now());
        WIN32_FILE_ATTRIBUTE_DATA report = {};
        const bool sized = GetFileAttributesExA(reportName, GetFileExInfoStandard, &report) != 0;
        DeleteFileA(reportName);
        if (!saved || !sized) {
            std::printf("flat memory bench: the report could not be written to %s in the temporary folder\n",
                        reportName);
            return 2;
        }
        const double reportBytes =
            static_cast<double>(report.nFileSizeHigh) * 4294967296.0 + static_cast<double>(report.nFileSizeLow);
        if (bytes && firstBytes)
            std::printf("ROW|private memory, %ld lines fed to journal + log|%.2f MiB (%+.2f MiB from 1,000 "
                        "lines; goal within 4 MB)|resident anonymous memory (RssAnon) of the bench from "
                        "/proc; %u cycles of 3 disagreements at full speed, %.1f s so far; log holds %zu "
                        "bytes\n",
                        lines, static_cast<double>(*bytes) / 1048576.0,
                        (static_cast<double>(*bytes) - static_cast<double>(*firstBytes)) / 1048576.0, cycle,
                        feedMillis / 1000.0, log.size());
        else
            std::printf("note: private memory could not be read from /proc\n");
        std::printf("ROW|report saved (writeReport) at %ld lines|%.1f ms, %.1f MB (goal at 1,000,000: "
                    "within 3 s)|StdioReportFileSystem into the temporary folder, the journal read back "
                    "in 64 KB pieces\n",
                    lines, saveMillis, reportBytes / 1e6);
    }
    journal.finish(false);
    return 0;
}

} // namespace

// zorik_log_box_bench: the log box, cycle and journal figures.
// zorik_log_box_bench flat: only the flat memory figures (benchFlatMemory).
int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // The journals go where the program's would, the current directory:
    // the system's temporary folder rather than wherever the bench started.
    char temp[MAX_PATH];
    const DWORD tempLength = GetTempPathA(MAX_PATH, temp);
    if (tempLength > 0 && tempLength < MAX_PATH)
        SetCurrentDirectoryA(temp);
    const auto self = WineHostProcess::find("zorik_log_box_bench.exe");
    if (argc > 1 && std::string(argv[1]) == "flat")
        return benchFlatMemory(self);
    const int appends = 60;
    const std::uint32_t cycles = 10;
    const int rounds = 3;
    const std::uint32_t summaryCycles = 12;
    const int summaryRounds = 10;
    const int memoryLines = 4000;
    const int moreLines = 2 * appends + 5 * rounds * static_cast<int>(cycles) * 3 + memoryLines + 1100 +
                          2 * summaryRounds * static_cast<int>(summaryCycles) * 3;
    Subject small(100, 0, moreLines);
    Subject large(100000, 300, moreLines);
    if (!small.window.ok() || !large.window.ok()) {
        std::printf("log box bench: cannot create the edit control (error %lu)\n", GetLastError());
        return 2;
    }
    Subject* subjects[2] = {&small, &large};

    benchAppends(subjects, appends);
    // Cycles in alternating rounds, for the same reason.
    for (int round = 0; round < rounds; ++round)
        for (Subject* subject : subjects) {
            const auto periods = benchCycles(subject->window, subject->log, cycles);
            subject->periods.insert(subject->periods.end(), periods.begin(), periods.end());
        }
    // With and without the journal, on the small log, in alternating rounds.
    {
        WindowsJournalFiles files;
        zorik::TestJournal journal(small.log, files);
        benchOnOff(small, "journal", {&journal, nullptr}, {}, 2 * rounds, cycles);
        if (journal.fileName().empty())
            std::printf("note: no journal could be made in the current directory\n");
        journal.finish(false);
        // The diagnosis, one more listener after the log, with the journal
        // on in both rounds, as in the program.
        zorik::TestJournal journaled(small.log, files);
        zorik::Diagnosis diagnosis;
        g_boxDelaysMs.clear();
        benchOnOff(small, "diagnosis", {&journaled, &diagnosis}, {&journaled, nullptr}, 2 * rounds, cycles);
        journaled.finish(false);
        std::printf("ROW|a line in the box after its reading, 3 lines a cycle|median %.1f ms, worst %.1f ms|"
                    "%zu lines posted by the worker and appended by the window's thread, the diagnosis's rounds\n",
                    median(g_boxDelaysMs), worst(g_boxDelaysMs), g_boxDelaysMs.size());
    }
    benchJournalLines();
    // The summary line's cost to the cycle: rounds with and without it, in
    // turn, on the short log.
    std::vector<double> plain, summarised;
    for (int round = 0; round < summaryRounds; ++round)
        for (bool summary : {false, true}) {
            const auto periods = benchCycles(small.window, small.log, summaryCycles, nullptr, summary);
            (summary ? summarised : plain).insert((summary ? summarised : plain).end(), periods.begin(),
                                                  periods.end());
        }
    const std::size_t boxBytes[2] = {small.window.length(), large.window.length()};
    benchMemory(large, self, memoryLines);

    for (int s = 0; s < 2; ++s)
        std::printf("ROW|log line appended (m_strLog + log box) at %d lines|median %.2f ms, worst %.2f ms; "
                    "with repaint median %.2f ms|%zu runs, alternating with the other; the box held %zu bytes\n",
                    subjects[s]->lines, median(subjects[s]->bare), worst(subjects[s]->bare),
                    median(subjects[s]->painted), subjects[s]->bare.size(), boxBytes[s]);
    std::printf("ROW|append at 100,000 lines / at 100 lines|%.2f|medians, without repaint\n",
                median(large.bare) / median(small.bare));
    for (Subject* subject : subjects)
        std::printf("ROW|cycle period, 3 lines a cycle, from %d lines|median %.1f ms, worst %.1f ms|"
                    "%zu cycles of the real worker and waits, %d rounds alternating with the other\n",
                    subject->lines, median(subject->periods), worst(subject->periods), subject->periods.size(),
                    rounds);
    std::printf("ROW|cycle period from 100,000 lines / from 100 lines|%.3f|medians\n",
                median(large.periods) / median(small.periods));
    std::printf("ROW|cycle period with the summary line kept current|median %.1f ms (mean %.1f), without "
                "median %.1f ms (mean %.1f): %+.2f %% (means %+.2f %%)|3 lines a cycle; %zu and %zu cycles, "
                "%d rounds of each in turn; the summary on a %u ms timer of the window's thread\n",
                median(summarised), mean(summarised), median(plain), mean(plain),
                100.0 * (median(summarised) / median(plain) - 1), 100.0 * (mean(summarised) / mean(plain) - 1),
                summarised.size(), plain.size(), summaryRounds, kSummaryPeriodMs);
    return 0;
}
