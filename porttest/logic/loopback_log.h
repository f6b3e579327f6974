// The test log (the dialog's m_strLog): code page 949 text that only grows.
// The worker appends lines while the UI thread may read the whole text (the
// report on exit), so every append and every read is whole under a lock:
// nobody ever sees half a line or loses one.
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

    void append(const std::string& text);

    // A copy of the whole text as it stands.
    std::string text() const;
    // A copy of the text from byte `offset` on; empty when there is none.
    std::string textFrom(std::size_t offset) const;
    std::size_t size() const;

private:
    mutable Lock m_lock;
    std::string m_text;
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
