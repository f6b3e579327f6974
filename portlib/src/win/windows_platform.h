// The real Windows behind the open gate's seam.
#pragma once

#include "../platform.h"
#include "inpout_library.h"

namespace zorik {

class WindowsPlatform : public Platform {
public:
    std::optional<std::uint32_t> platformId() override;
    bool probeGiveio() override;
    bool isWow64Process() override;
    InpOutAnswer openInpOut() override;
    void showFatalError(const char* text) override;

private:
    InpOutLibrary inpOut_;
};

} // namespace zorik
