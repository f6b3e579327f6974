// A stand-in for the Zorik I/O unit on the parallel port, behind the same
// port seam as the processor's in/out instructions: writes to the data
// register drive the outputs, reads of the status register sample the
// inputs, healthy or faulted as the settings say. The port sits at 0x378
// unless placed elsewhere.
#pragma once

#include "lock.h"
#include "millisecond_clock.h"
#include "port_io.h"
#include "port_location.h"
#include "sim_settings.h"
#include "split_mix.h"

#include <cstdint>
#include <deque>

namespace zorik::sim {

// Status bits the unit does not drive. They read as on a port with nothing
// on those pins: the reserved bits 0 to 2 and nError (bit 3) high, nBusy
// (bit 7) 0 because the port inverts that line.
inline constexpr std::uint8_t UNDRIVEN_STATUS_BITS = 0x0F;
// Unit absent or unpowered: the three input lines float high as well.
inline constexpr std::uint8_t ABSENT_UNIT_STATUS = 0x7F;
// Any port but the status register reads as an empty bus.
inline constexpr std::uint8_t UNMODELLED_PORT_READ = 0xFF;
// What the data register holds before the first write.
inline constexpr std::uint8_t POWER_ON_DATA = 0x00;

class SimulatedUnit final : public PortIo {
public:
    SimulatedUnit(const SimSettings& settings, MillisecondClock& clock);

    std::uint8_t readByte(std::uint16_t port) override;
    void writeByte(std::uint16_t port, std::uint8_t value) override;

    bool giveioPresent() const { return settings_.giveioPresent; }
    // Moves the unit from 0x378/0x379 to `dataPort` and the port after it,
    // as a card's port would sit. Called before any access is made.
    void placeAt(std::uint16_t dataPort) { dataPort_ = dataPort; }
    std::uint16_t dataPort() const { return dataPort_; }

private:
    struct DataWrite {
        std::uint64_t atMs;
        std::uint8_t value;
    };

    std::uint8_t sampleStatus(std::uint64_t now);
    // The level an input's line carries for the data register's `data`.
    static bool lineLevel(const InputBehaviour& input, std::uint8_t data);
    std::uint8_t dataSeenWithDelay(std::uint64_t now, std::uint32_t delayMs) const;
    void settleWritesOlderThanLongestDelay(std::uint64_t now);

    const SimSettings settings_;
    MillisecondClock& clock_;
    std::uint32_t longestDelayMs_ = 0;
    std::uint16_t dataPort_ = DATA_PORT;

    // The model keeps its own lock rather than lean on its caller's: the
    // generator and the write history change on every access.
    Lock lock_;
    SplitMix random_;
    std::uint8_t settledData_ = POWER_ON_DATA; // seen by every input, however slow
    std::deque<DataWrite> recentWrites_;       // not yet seen by the slowest input
    std::uint64_t statusReads_ = 0;            // for the glitches and crashAtRead
};

} // namespace zorik::sim
