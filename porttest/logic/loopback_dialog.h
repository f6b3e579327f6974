// What the loopback worker uses of the main dialog. The real dialog
// forwards each call to its controls on the UI thread; host tests use a
// fake. Every call may come from the worker thread.
#pragma once

#include <cstdint>
#include <string>

namespace zorik {

class LoopbackDialog {
public:
    virtual ~LoopbackDialog() = default;

    // Indicator check states: 1 checked, 0 unchecked.
    virtual void setOutputIndicator(int channel, int checked) = 0;
    virtual int outputIndicator(int channel) = 0;
    virtual void setInputIndicator(int channel, int checked) = 0;
    virtual int inputIndicator(int channel) = 0;

    // Once the last cycle of a run is over: writes each output as its switch
    // shows it, on the UI thread, where no click can come between reading a
    // switch and writing its output. A click between the worker showing a
    // level on a switch and writing it leaves the switch with the
    // operator's level and the output with the worker's; from here on only
    // clicks write, so switch and output agree again.
    virtual void matchOutputsToSwitches() = 0;

    // Caption of the Test button, code page 949 bytes.
    virtual void setTestCaption(const std::string& text) = 0;

    // Appends one code page 949 line to m_strLog (a zorik::TestLog, so the
    // report's snapshot sees whole lines) and appends the same text to the
    // log box, scrolled into view; the box is never refilled from scratch,
    // its oldest lines leave it when it is full (log_box_lines.h).
    virtual void appendToLog(const std::string& line) = 0;

    // The journal's moments (test_journal.h); nothing by default.
    // Cycle `count` has begun; its lines come after this call.
    virtual void cycleBegun(std::uint32_t count) { static_cast<void>(count); }
    // Every line of the cycle is logged. Called at the start of the cycle's
    // last wait, which counts the time spent here, so the cycle lasts no
    // longer for it.
    virtual void cycleLogged() {}
};

} // namespace zorik
