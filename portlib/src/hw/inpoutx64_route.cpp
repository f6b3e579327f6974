#include "inpoutx64_route.h"

#include "../access_setting.h"

namespace zorik {

InpOutAnswer InpOutX64Route::find()
{
    looked_ = true;
    // Access=giveio keeps the library unloaded, as in the 32-bit library;
    // Zorik_Open refuses the setting before it asks.
    char access[PORT_BASE_VALUE_CAPACITY] = {};
    if (settings_.readAccess(access) && parseAccessSetting(access) == AccessSetting::Giveio)
        return InpOutAnswer{};
    // A library once loaded stays; its driver is asked anew each time, as
    // giveio's device is opened anew by every Zorik_Open.
    const InpOutAnswer answer = windows_.openInpOut();
    library_ = answer.state == InpOutState::Ready ? answer.port : nullptr;
    return answer;
}

PortIo* InpOutX64Route::ready()
{
    if (!looked_)
        find();
    return library_;
}

std::uint8_t InpOutX64Route::readByte(std::uint16_t port)
{
    PortIo* library = ready();
    return library != nullptr ? library->readByte(port) : 0xFF;
}

void InpOutX64Route::writeByte(std::uint16_t port, std::uint8_t value)
{
    if (PortIo* library = ready())
        library->writeByte(port, value);
}

} // namespace zorik
