// A platform whose family, giveio driver and InpOut32 library are set by
// the test and whose fatal boxes are recorded instead of shown.
#pragma once

#include "platform.h"
#include "recording_port.h"

#include <string>
#include <vector>

namespace zorik::testing {

class FakePlatform : public Platform {
public:
    std::optional<std::uint32_t> id = PLATFORM_WIN32_NT;
    bool giveioPresent = true;
    bool wow64 = false;
    // What asking for inpout32.dll answers; Ready hands out inpOutPort.
    InpOutAnswer inpOut{InpOutState::Missing, nullptr, "C:\\Zorik\\inpout32.dll", "C:\\Zorik\\"};
    RecordingPort inpOutPort;
    int probes = 0;
    int inpOutOpens = 0;
    int wow64Queries = 0;
    std::vector<std::string> fatalErrors;

    std::optional<std::uint32_t> platformId() override { return id; }
    bool probeGiveio() override
    {
        ++probes;
        return giveioPresent;
    }
    bool isWow64Process() override
    {
        ++wow64Queries;
        return wow64;
    }
    InpOutAnswer openInpOut() override
    {
        ++inpOutOpens;
        InpOutAnswer answer = inpOut;
        answer.port = answer.state == InpOutState::Ready ? &inpOutPort : nullptr;
        return answer;
    }
    void showFatalError(const char* text) override { fatalErrors.emplace_back(text); }
};

} // namespace zorik::testing
