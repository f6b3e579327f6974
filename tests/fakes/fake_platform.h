// A platform whose family and driver are set by the test and whose fatal
// boxes are recorded instead of shown.
#pragma once

#include "platform.h"

#include <string>
#include <vector>

namespace zorik::testing {

class FakePlatform : public Platform {
public:
    std::optional<std::uint32_t> id = PLATFORM_WIN32_NT;
    bool giveioPresent = true;
    int probes = 0;
    std::vector<std::string> fatalErrors;

    std::optional<std::uint32_t> platformId() override { return id; }
    bool probeGiveio() override
    {
        ++probes;
        return giveioPresent;
    }
    void showFatalError(const char* text) override { fatalErrors.emplace_back(text); }
};

} // namespace zorik::testing
