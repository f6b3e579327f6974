#include "log_listener.h"

#include "program_texts.h"

namespace zorik {

void LogListener::reading(const Reading& reading)
{
    if (!reading.disagreement)
        return;
    const std::string line =
        formatLogLine(reading.cycle, reading.time, reading.channel, reading.lineOutput, reading.lineInput);
    const bool onDisk = m_journal != nullptr && m_journal->holdsLines();
    if (m_log.appendLine(line, onDisk) && m_showNewLines)
        m_showNewLines();
}

} // namespace zorik
