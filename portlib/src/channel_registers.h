// Output latch and input decoding of the three Zorik channels.
#pragma once

#include "lock.h"
#include "port_io.h"

#include <cstdint>

namespace zorik {

inline constexpr std::uint16_t DATA_PORT = 0x378;   // output c is bit c
inline constexpr std::uint16_t STATUS_PORT = 0x379; // input c is bit c + 4
inline constexpr int CHANNEL_COUNT = 3;
inline constexpr std::uint32_t MODE1_FORCED_BITS = 0xE0;

// The library's whole state. The DLL holds exactly one, so its two fields
// carry the names of the library's process-wide variables.
class ChannelRegisters {
public:
    explicit ChannelRegisters(PortIo& io) : io_(io) {}

    // 1 when input `channel` is low, 0 when high or the channel is not 0..2.
    int read(int channel);
    // Recomputes the whole data byte from the latch and writes it out.
    void write(int channel, int state);
    void setOpenMode(int mode);

    std::uint32_t outputLatch() const;
    int openMode() const;

private:
    static bool isChannel(int channel) { return channel >= 0 && channel < CHANNEL_COUNT; }

    PortIo& io_;
    // Two threads of the test program write different channels at once;
    // each latch update and its port write must happen as one step.
    mutable Lock lock_;
    std::uint32_t g_outputLatch = 0x07; // nothing written yet, yet 0x07
    int g_openMode = 0;
};

} // namespace zorik
