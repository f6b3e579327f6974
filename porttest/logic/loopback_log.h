// The test log (the dialog's m_strLog): code page 949 text that only grows,
// its head ("Error Check  -  10ms", an empty line) and then one line per
// disagreement. While the journal holds the lines on disk, memory holds
// only the head and the lines the log box has not taken yet, so that a
// run of any length costs the same memory; where there is no journal (it
// could not be written) every line is held, as the report needs it. The
// worker appends lines while the UI thread takes them for the box, so every
// append and every read is whole under a lock: nobody ever sees half a line
// or loses one.
#pragma once

#include "cycle_counter.h"
#include "lock.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace zorik {

class TestLog {
public:
    // Starts with "Error Check", as the dialog object is built with.
    TestLog();
    explicit TestLog(std::string initial);
    TestLog(const TestLog&) = delete;
    TestLog& operator=(const TestLog&) = delete;

    // Text held in memory: the head, or a line no journal holds.
    void append(const std::string& text);

    // A disagreement line, for the box in any case, and held in memory
    // unless `onDisk` (the journal has it). True when the box had nothing
    // waiting before it: the box has to be told.
    bool appendLine(const std::string& line, bool onDisk);
    // The lines the box has not been given yet, oldest first. At most
    // about a box's worth waits: should more come before the box takes
    // them (the UI thread busy), the oldest are let go and `dropped` comes
    // back true, so that the box starts again from the head.
    std::string takeForBox(bool& dropped);

    // The log's head, up to and including its first empty line.
    std::string head() const;
    // A copy of the text held in memory, as it stands.
    std::string text() const;
    // A copy of the text from byte `offset` on; empty when there is none.
    std::string textFrom(std::size_t offset) const;
    std::size_t size() const;

    // A station's next unit: the log starts again from `initial`, with
    // nothing waiting for the box. Only while no worker runs.
    void reset(std::string initial);

private:
    mutable Lock m_lock;
    std::string m_text;
    std::string m_forBox;
    bool m_boxDropped = false;
};

// The counter and the log as they stood at one moment: every line in `log`
// belongs to a cycle not later than `count`, and every line of the cycles
// before `count` is there.
struct ReportSnapshot {
    std::uint32_t count;
    std::string log;
};

// Safe to call from any thread while a worker runs. The worker advances the
// counter before it logs that cycle's lines, so the log is taken between
// two readings of the counter and taken again if a cycle began meanwhile.
ReportSnapshot takeReportSnapshot(const TestLog& log, const CycleCounter& counter);

// The same, for any way of reading the counter and the log (lets a test
// make a cycle begin exactly between two readings).
ReportSnapshot takeReportSnapshot(const std::function<std::uint32_t()>& readCount,
                                  const std::function<std::string()>& readLog);

} // namespace zorik
