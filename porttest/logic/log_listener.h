// The log's listener: each disagreement becomes its line in the test log,
// held in memory only where the journal does not hold it, and the log box
// is told that lines wait for it.
#pragma once

#include "loopback_log.h"
#include "reading.h"
#include "test_journal.h"

#include <functional>

namespace zorik {

class LogListener final : public ReadingListener {
public:
    // `journal` (or null) hears each reading before this listener does.
    // `showNewLines` runs on the worker thread when the box had nothing
    // waiting; it must not wait for the UI thread (the dialog posts itself
    // a message), so the box is filled apart from the worker's cycle.
    LogListener(TestLog& log, const TestJournal* journal, std::function<void()> showNewLines)
        : m_log(log), m_journal(journal), m_showNewLines(std::move(showNewLines))
    {
    }

    void reading(const Reading& reading) override;

private:
    TestLog& m_log;
    const TestJournal* m_journal;
    std::function<void()> m_showNewLines;
};

} // namespace zorik
