// Stand-ins for the dialog and the Windows services around the loopback
// worker: a dialog that keeps its indicator states, a clock that only adds
// up the waits, a scripted unit and random source, and one event list that
// records everything the worker does, in order.
#pragma once

#include "lock.h"
#include "loopback_dialog.h"
#include "loopback_services.h"
#include "program_texts.h"
#include "reading.h"
#include "run_control.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zorik::testing {

// Everything the worker did, as short words: "out 0=1" (output indicator
// set), "write 0=1", "sleep 10", "read 0", "in 0=0" (input indicator set),
// "time", "log", "match" (outputs written as their switches show them),
// "caption".
class EventList {
public:
    void add(const std::string& event)
    {
        std::lock_guard<Lock> hold(m_lock);
        m_events.push_back(event);
    }
    std::vector<std::string> events() const
    {
        std::lock_guard<Lock> hold(m_lock);
        return m_events;
    }

private:
    mutable Lock m_lock;
    std::vector<std::string> m_events;
};

// Also the log's listener: every disagreement's line is kept and recorded
// as "log", as the program's log would take it.
class FakeDialog : public LoopbackDialog, public ReadingListener {
public:
    explicit FakeDialog(EventList* events = nullptr) : m_events(events) {}

    void setOutputIndicator(int channel, int checked) override
    {
        record("out " + std::to_string(channel) + "=" + std::to_string(checked));
        std::lock_guard<Lock> hold(m_lock);
        m_output.at(channel) = checked;
    }
    int outputIndicator(int channel) override
    {
        if (recordReads)
            record("get out " + std::to_string(channel));
        std::lock_guard<Lock> hold(m_lock);
        return m_output.at(channel);
    }
    void setInputIndicator(int channel, int checked) override
    {
        record("in " + std::to_string(channel) + "=" + std::to_string(checked));
        std::lock_guard<Lock> hold(m_lock);
        m_input.at(channel) = checked;
    }
    int inputIndicator(int channel) override
    {
        if (recordReads)
            record("get in " + std::to_string(channel));
        std::lock_guard<Lock> hold(m_lock);
        return m_input.at(channel);
    }
    void matchOutputsToSwitches() override
    {
        record("match");
    }
    void setTestCaption(const std::string& text) override
    {
        {
            std::lock_guard<Lock> hold(m_lock);
            m_captions.push_back(text);
        }
        record("caption");
        if (onCaption)
            onCaption(text);
    }
    void reading(const Reading& reading) override
    {
        if (reading.disagreement)
            appendToLog(formatLogLine(reading.cycle, reading.time, reading.channel, reading.lineOutput,
                                      reading.lineInput));
    }
    virtual void appendToLog(const std::string& line)
    {
        {
            std::lock_guard<Lock> hold(m_lock);
            m_lines.push_back(line);
        }
        record("log");
    }

    // What the operator does with the output switch: flips its state.
    void clickOutput(int channel)
    {
        std::lock_guard<Lock> hold(m_lock);
        m_output.at(channel) ^= 1;
    }

    std::vector<std::string> captions() const
    {
        std::lock_guard<Lock> hold(m_lock);
        return m_captions;
    }
    std::vector<std::string> lines() const
    {
        std::lock_guard<Lock> hold(m_lock);
        return m_lines;
    }

    // Also records "get out c" / "get in c" for every read-back of an
    // indicator (off by default, to keep the other sequences short).
    bool recordReads = false;

    // Called on the worker thread after a caption has been set.
    std::function<void(const std::string&)> onCaption;

private:
    void record(const std::string& event)
    {
        if (m_events)
            m_events->add(event);
    }

    EventList* m_events;
    mutable Lock m_lock;
    std::vector<int> m_output = {0, 0, 0};
    std::vector<int> m_input = {0, 0, 0};
    std::vector<std::string> m_captions;
    std::vector<std::string> m_lines;
};

// How the unit answers Zorik_Read(channel), given the level last written to
// that channel.
using UnitAnswer = std::function<int(int channel, int lastWritten)>;

inline int healthyUnit(int, int lastWritten) { return lastWritten; }
inline int unwiredUnit(int, int) { return 0; }
inline int invertingUnit(int, int lastWritten) { return lastWritten ? 0 : 1; }

// Unit, clocks and random source for the worker. The clocks never touch the
// wall clock: they start at a set time of day and tick count and move only
// by the sleeps the worker asks for (each lasting as long as sleepTakesUs
// says).
class FakeServices : public LoopbackServices {
public:
    explicit FakeServices(UnitAnswer unit = healthyUnit, EventList* events = nullptr)
        : m_unit(std::move(unit)), m_events(events)
    {
    }

    void writeOutput(int channel, int level) override
    {
        record("write " + std::to_string(channel) + "=" + std::to_string(level));
        if (onWrite)
            onWrite(channel, level);
        std::lock_guard<Lock> hold(m_lock);
        m_written.at(channel) = level;
    }
    int readInput(int channel) override
    {
        record("read " + std::to_string(channel));
        std::lock_guard<Lock> hold(m_lock);
        return m_unit(channel, m_written.at(channel));
    }
    void sleep(unsigned milliseconds) override
    {
        record("sleep " + std::to_string(milliseconds));
        {
            std::lock_guard<Lock> hold(m_lock);
            m_elapsedUs += sleepTakesUs ? sleepTakesUs(milliseconds) : milliseconds * 1000ull;
        }
        if (onSleep)
            onSleep(milliseconds);
    }
    std::uint64_t ticks() override
    {
        std::lock_guard<Lock> hold(m_lock);
        const std::uint64_t elapsedUs = counterStandsStill ? 0 : m_elapsedUs;
        return (m_tickStart + elapsedUs * m_rate.perSecond / 1000000) & m_rate.mask;
    }
    std::uint32_t tickCount() override
    {
        std::lock_guard<Lock> hold(m_lock);
        const unsigned long long elapsedMs = m_elapsedUs / 1000;
        return static_cast<std::uint32_t>(m_tickCountStart + elapsedMs / m_tickMs * m_tickMs);
    }
    TickRate tickRate() override
    {
        std::lock_guard<Lock> hold(m_lock);
        return m_rate;
    }
    LocalTime localTime() override
    {
        record("time");
        std::lock_guard<Lock> hold(m_lock);
        const unsigned long long seconds = (m_startMs + m_elapsedUs / 1000) / 1000 % 86400;
        return {static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60)};
    }
    int random() override
    {
        std::lock_guard<Lock> hold(m_lock);
        if (m_randomValues.empty())
            return 0;
        return m_randomValues[m_nextRandom++ % m_randomValues.size()];
    }

    // The clock's time of day when nothing has been waited yet.
    void startClockAt(int hour, int minute, int second, int millisecond = 0)
    {
        std::lock_guard<Lock> hold(m_lock);
        m_startMs = ((hour * 60ull + minute) * 60 + second) * 1000 + millisecond;
    }
    // rand() answers these values in turn, over and over.
    void setRandomValues(std::vector<int> values)
    {
        std::lock_guard<Lock> hold(m_lock);
        m_randomValues = std::move(values);
        m_nextRandom = 0;
    }
    // The counter the waits are checked by: a 1 MHz 64-bit counter at 0
    // unless set otherwise.
    void setTickCounter(TickRate rate, std::uint64_t start)
    {
        std::lock_guard<Lock> hold(m_lock);
        m_rate = rate;
        m_tickStart = start;
    }
    // GetTickCount: at `start` when nothing has been waited yet, stepping
    // every `tickMs`; 0 and 1 ms unless set otherwise.
    void setTickCount(std::uint32_t start, unsigned tickMs)
    {
        std::lock_guard<Lock> hold(m_lock);
        m_tickCountStart = start;
        m_tickMs = tickMs;
    }
    // Time passing without a sleep: work the worker does (a listener's).
    void spendUs(unsigned long long microseconds)
    {
        std::lock_guard<Lock> hold(m_lock);
        m_elapsedUs += microseconds;
    }
    unsigned long long elapsedMs() const
    {
        std::lock_guard<Lock> hold(m_lock);
        return m_elapsedUs / 1000;
    }

    // How long a sleep asked for that many milliseconds really lasts, in
    // microseconds; exactly as asked when unset. Read on the worker thread.
    std::function<unsigned long long(unsigned)> sleepTakesUs;
    // The counter keeps the value it started with (set before the run).
    bool counterStandsStill = false;

    // Hooks, called on the worker thread after the event is recorded.
    std::function<void(unsigned)> onSleep;
    std::function<void(int, int)> onWrite;

private:
    void record(const std::string& event)
    {
        if (m_events)
            m_events->add(event);
    }

    UnitAnswer m_unit;
    EventList* m_events;
    mutable Lock m_lock;
    std::vector<int> m_written = {0, 0, 0};
    unsigned long long m_startMs = 0;
    unsigned long long m_elapsedUs = 0;
    TickRate m_rate{1000000, ~std::uint64_t{0}};
    std::uint64_t m_tickStart = 0;
    std::uint32_t m_tickCountStart = 0;
    unsigned m_tickMs = 1;
    std::vector<int> m_randomValues;
    std::size_t m_nextRandom = 0;
};

// The dialog's side of the Test button. startWorkerThread only counts by
// default; a test that wants a real thread sets startWorker.
class FakeButtonActions : public TestButtonActions {
public:
    bool startWorkerThread() override
    {
        ++threadsStarted;
        return startWorker ? startWorker() : true;
    }
    void killPollTimer() override { pollTimerOn = false; }
    void setPollTimer() override { pollTimerOn = true; }

    std::function<bool()> startWorker;
    int threadsStarted = 0;
    bool pollTimerOn = true;
};

} // namespace zorik::testing
