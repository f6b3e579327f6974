// The real Windows behind the open gate's seam.
#pragma once

#include "../platform.h"

namespace zorik {

class WindowsPlatform : public Platform {
public:
    std::optional<std::uint32_t> platformId() override;
    bool probeGiveio() override;
    void showFatalError(const char* text) override;
};

} // namespace zorik
