// Follows Zorik's log box from outside: its length, and the cycle number
// of each new line with the moment the line was seen. The lines' numbers
// are the program's own cycle counter, so two sightings give the cycle
// rate between them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cycle_timing.h"
#include "figures.h"
#include "main_dialog.h"

namespace zorik::bench {

class LogWatch {
public:
    // Sightings are timed in milliseconds since `origin`.
    LogWatch(const e2e::MainDialog& dialog, Clock::time_point origin)
        : dialog_(dialog), origin_(origin) {}

    // Reads the box's length and, when it grew, the new lines. Cheap when
    // nothing changed: one message.
    void poll();

    std::size_t length() const { return length_; }
    std::size_t lines() const { return lines_; }
    // Lines that did not parse as log lines (should stay 0).
    std::size_t malformed() const { return malformed_; }
    const std::vector<CycleSighting>& sightings() const { return sightings_; }

private:
    const e2e::MainDialog& dialog_;
    Clock::time_point origin_;
    std::size_t length_ = 0;
    std::string pending_; // text after the last CR LF seen
    bool headerSkipped_ = false;
    std::size_t lines_ = 0;
    std::size_t malformed_ = 0;
    std::vector<CycleSighting> sightings_;
};

} // namespace zorik::bench
