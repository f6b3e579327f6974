#include "channel_registers.h"

namespace zorik {

const PortLocation& ChannelRegisters::location()
{
    if (!located_) {
        location_ = locatePort(settings_);
        located_ = true;
    }
    return location_;
}

int ChannelRegisters::read(int channel)
{
    std::uint8_t status;
    {
        LockHold hold(lock_);
        const PortLocation& port = location();
        if (!isChannel(channel) || !port.usable)
            return 0;
        status = io_->readByte(static_cast<std::uint16_t>(port.dataPort + 1));
    }
    // The unit pulls an input line low to signal "on".
    return (status & (1u << (channel + 4))) ? 0 : 1;
}

void ChannelRegisters::write(int channel, int state)
{
    LockHold hold(lock_);
    const PortLocation& port = location();
    if (!isChannel(channel))
        return;
    const std::uint32_t mask = 1u << channel;
    std::uint32_t value = state == 1 ? (g_outputLatch | mask) : (g_outputLatch & ~mask);
    if (g_openMode == 1)
        value |= MODE1_FORCED_BITS;
    if (port.usable)
        io_->writeByte(port.dataPort, static_cast<std::uint8_t>(value & 0xFF));
    // The forced bits are kept: once on, they stay on in every later write.
    g_outputLatch = value;
}

void ChannelRegisters::setOpenMode(int mode)
{
    LockHold hold(lock_);
    g_openMode = mode;
}

const char* ChannelRegisters::portSettingError()
{
    LockHold hold(lock_);
    const PortLocation& port = location();
    // Settled once, the message never changes, so it may be read unlocked.
    return port.usable ? nullptr : port.error;
}

AccessSetting ChannelRegisters::accessSetting()
{
    LockHold hold(lock_);
    return location().access;
}

void ChannelRegisters::routeThrough(PortIo& io)
{
    LockHold hold(lock_);
    io_ = &io;
}

void ChannelRegisters::routeThroughOwnPort()
{
    LockHold hold(lock_);
    io_ = ownIo_;
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
