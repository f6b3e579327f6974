// Output latch and input decoding of the three Zorik channels.
#pragma once

#include "lock.h"
#include "platform.h"
#include "port_io.h"
#include "port_location.h"

#include <cstdint>

namespace zorik {

inline constexpr int CHANNEL_COUNT = 3;
inline constexpr std::uint32_t MODE1_FORCED_BITS = 0xE0;

// The library's whole state. The DLL holds exactly one, so its two fields
// carry the names of the library's process-wide variables.
class ChannelRegisters {
public:
    // The port at 0x378.
    explicit ChannelRegisters(PortIo& io) : ownIo_(&io), io_(&io) {}
    // The port where `settings` put it, read on the first call of read,
    // write or portSettingError.
    ChannelRegisters(PortIo& io, PortSettings& settings) : ownIo_(&io), io_(&io), settings_(&settings) {}

    // 1 when input `channel` is low, 0 when high or the channel is not 0..2.
    // 0 without touching the port after a bad setting.
    int read(int channel);
    // Recomputes the whole data byte from the latch and writes it out;
    // after a bad setting only the latch follows.
    void write(int channel, int state);
    void setOpenMode(int mode);
    // The operator's message when the setting is bad, else nullptr.
    const char* portSettingError();
    // The way to the ports the setting asks for (auto without one).
    AccessSetting accessSetting();
    // Every later port byte goes through `io` (InpOut32's library once the
    // open gate has found its driver open) instead of the port the
    // registers were made with.
    void routeThrough(PortIo& io);
    // ...and back to the port they were made with (giveio's grant makes the
    // processor's own instructions work).
    void routeThroughOwnPort();
    // `platform.openInpOut()`, asked under the lock every port byte takes:
    // where the port the registers were made with looks for InpOut32's
    // library itself at its first byte (the x64 library), the two never
    // load it at once.
    InpOutAnswer askForInpOut(Platform& platform)
    {
        LockHold hold(lock_);
        return platform.openInpOut();
    }

    std::uint32_t outputLatch() const;
    int openMode() const;

private:
    static bool isChannel(int channel) { return channel >= 0 && channel < CHANNEL_COUNT; }
    // Callers hold lock_.
    const PortLocation& location();

    PortIo* const ownIo_;
    PortIo* io_;
    PortSettings* const settings_ = nullptr;
    // Two threads of the test program write different channels at once;
    // each latch update and its port write must happen as one step. The
    // same lock makes the setting be read once, by whichever call is first.
    mutable Lock lock_;
    bool located_ = false;
    PortLocation location_;
    std::uint32_t g_outputLatch = 0x07; // nothing written yet, yet 0x07
    int g_openMode = 0;
};

} // namespace zorik
