// The real Windows for the version query and the operator's boxes, the
// simulated unit's word on whether the giveio driver is there; no InpOut32.
#pragma once

#include "platform.h"

namespace zorik::sim {

class SimulatedPlatform final : public Platform {
public:
    SimulatedPlatform(Platform& system, bool giveioPresent) : system_(system), giveioPresent_(giveioPresent) {}

    std::optional<std::uint32_t> platformId() override { return system_.platformId(); }
    bool probeGiveio() override { return giveioPresent_; }
    bool isWow64Process() override { return system_.isWow64Process(); }
    // The simulated unit is the port: no InpOut32 library is ever loaded
    // into the simulated build.
    InpOutAnswer openInpOut() override { return InpOutAnswer{}; }
    void showFatalError(const char* text) override { system_.showFatalError(text); }

private:
    Platform& system_;
    const bool giveioPresent_;
};

} // namespace zorik::sim
