// What the loopback worker uses of the main dialog. The real dialog
// forwards each call to its controls on the UI thread; host tests use a
// fake. Every call may come from the worker thread.
#pragma once

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
};

} // namespace zorik
