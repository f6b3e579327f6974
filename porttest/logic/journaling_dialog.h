// The dialog as the loopback worker sees it, with the journal beside it:
// every call goes to the dialog, and each line, once the dialog has put it
// in the log, goes to the journal too, together with the cycle's moments.
#pragma once

#include "loopback_dialog.h"
#include "test_journal.h"

namespace zorik {

class JournalingDialog : public LoopbackDialog {
public:
    JournalingDialog(LoopbackDialog& dialog, TestJournal& journal) : m_dialog(dialog), m_journal(journal) {}

    void setOutputIndicator(int channel, int checked) override { m_dialog.setOutputIndicator(channel, checked); }
    int outputIndicator(int channel) override { return m_dialog.outputIndicator(channel); }
    void setInputIndicator(int channel, int checked) override { m_dialog.setInputIndicator(channel, checked); }
    int inputIndicator(int channel) override { return m_dialog.inputIndicator(channel); }
    void matchOutputsToSwitches() override { m_dialog.matchOutputsToSwitches(); }
    void setTestCaption(const std::string& text) override { m_dialog.setTestCaption(text); }
    void appendToLog(const std::string& line) override
    {
        m_dialog.appendToLog(line);
        m_journal.lineLogged(line);
    }
    void cycleBegun(std::uint32_t count) override
    {
        m_dialog.cycleBegun(count);
        m_journal.cycleBegun(count);
    }
    void cycleLogged() override
    {
        m_dialog.cycleLogged();
        m_journal.cycleLogged();
    }

private:
    LoopbackDialog& m_dialog;
    TestJournal& m_journal;
};

} // namespace zorik
