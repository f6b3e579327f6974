// What the simulated unit is told to get wrong, read from the environment
// variable ZORIK_SIM. The grammar and every item are described in
// docs/simulated-unit.md.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorik::sim {

inline constexpr char SETTINGS_VARIABLE[] = "ZORIK_SIM";
inline constexpr int INPUT_COUNT = 3;
// Without seed=N every run draws the same errors, so a run can be repeated.
inline constexpr std::uint64_t DEFAULT_SEED = 1;
inline constexpr std::uint32_t ERROR_RATE_SCALE = 1000000; // parts per million
inline constexpr std::uint32_t MAX_DELAY_MS = 60000;
// glitch=C:N items one input may have.
inline constexpr int MAX_GLITCHES = 8;

enum class Stuck { No, On, Off };

// How one input line of the unit behaves; the defaults make a healthy line.
struct InputBehaviour {
    int source = 0;                    // the output channel this input follows
    bool sourceInverted = false;       // cross-invert: it follows the opposite of `source`
    int bridgedWith = -1;              // bridge: a second output shorted to `source`'s line
    bool bridgeOr = false;             // the short reads as `source` OR `bridgedWith`, else AND
    std::uint32_t delayMs = 0;         // it shows that level this late
    std::uint32_t riseDelayMs = 0;     // it reads on only once the level has been on this long
    std::uint32_t fallDelayMs = 0;     // it reads off only once the level has been off this long
    bool inverted = false;             // it shows the opposite level
    std::uint32_t errorRatePpm = 0;    // chance, per read, that it reads wrong
    // glitch: status reads (1 = the first) on which it reads wrong once;
    // 0 ends the list.
    std::uint64_t glitchReads[MAX_GLITCHES] = {};
    Stuck stuck = Stuck::No;           // overrides all of the above
};

struct SimSettings {
    SimSettings();

    bool unitPresent = true;   // false: absent or unpowered, every input floats high
    bool giveioPresent = true;
    std::uint64_t seed = DEFAULT_SEED;
    // The read of the status register, counted from 1, that is a fault
    // inside the library (an access violation), as a port driver's bug
    // would be; 0: none.
    std::uint64_t crashAtRead = 0;
    std::array<InputBehaviour, INPUT_COUNT> inputs;
};

struct ParsedSimSettings {
    std::optional<SimSettings> settings; // present when the whole text was valid
    std::string error;                   // otherwise: the bad item and what is accepted
};

// An empty text is a healthy unit. Items are separated by commas; blanks
// around an item are ignored.
ParsedSimSettings parseSimSettings(std::string_view text);

} // namespace zorik::sim
