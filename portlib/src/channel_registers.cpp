#include "channel_registers.h"

namespace zorik {

int ChannelRegisters::read(int channel)
{
    if (!isChannel(channel))
        return 0;
    std::uint8_t status;
    {
        LockHold hold(lock_);
        status = io_.readByte(STATUS_PORT);
    }
    // The unit pulls an input line low to signal "on".
    return (status & (1u << (channel + 4))) ? 0 : 1;
}

void ChannelRegisters::write(int channel, int state)
{
    if (!isChannel(channel))
        return;
    const std::uint32_t mask = 1u << channel;
    LockHold hold(lock_);
    std::uint32_t value = state == 1 ? (g_outputLatch | mask) : (g_outputLatch & ~mask);
    if (g_openMode == 1)
        value |= MODE1_FORCED_BITS;
    io_.writeByte(DATA_PORT, static_cast<std::uint8_t>(value & 0xFF));
    // The forced bits are kept: once on, they stay on in every later write.
    g_outputLatch = value;
}

void ChannelRegisters::setOpenMode(int mode)
{
    LockHold hold(lock_);
    g_openMode = mode;
}

std::uint32_t ChannelRegisters::outputLatch() const
{
    LockHold hold(lock_);
    return g_outputLatch;
}

int ChannelRegisters::openMode() const
{
    LockHold hold(lock_);
    return g_openMode;
}

} // namespace zorik
