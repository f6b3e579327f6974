#include "sim_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using zorik::sim::parseSimSettings;
using zorik::sim::SimSettings;
using zorik::sim::Stuck;

namespace {

SimSettings parsed(const std::string& text)
{
    auto result = parseSimSettings(text);
    EXPECT_TRUE(result.settings.has_value()) << text << " -> " << result.error;
    EXPECT_TRUE(result.error.empty()) << text;
    return result.settings.value_or(SimSettings{});
}

void expectHealthyInputs(const SimSettings& settings)
{
    for (int c = 0; c < zorik::sim::INPUT_COUNT; ++c) {
        EXPECT_EQ(settings.inputs[c].source, c);
        EXPECT_EQ(settings.inputs[c].stuck, Stuck::No);
        EXPECT_EQ(settings.inputs[c].errorRatePpm, 0u);
        EXPECT_EQ(settings.inputs[c].delayMs, 0u);
        EXPECT_FALSE(settings.inputs[c].inverted);
    }
}

} // namespace

TEST(SimSettings, NothingOrHealthyIsAHealthyUnitWithTheDriver)
{
    for (const char* text : {"", "  ", "healthy", " healthy\t"}) {
        SCOPED_TRACE(text);
        const SimSettings settings = parsed(text);
        EXPECT_TRUE(settings.unitPresent);
        EXPECT_TRUE(settings.giveioPresent);
        EXPECT_EQ(settings.seed, zorik::sim::DEFAULT_SEED);
        expectHealthyInputs(settings);
    }
}

TEST(SimSettings, EachItemSetsItsOwnFaultOnly)
{
    EXPECT_FALSE(parsed("absent").unitPresent);
    EXPECT_FALSE(parsed("no-giveio").giveioPresent);
    EXPECT_TRUE(parsed("no-giveio").unitPresent);
    EXPECT_EQ(parsed("seed=42").seed, 42u);
    EXPECT_EQ(parsed("seed=18446744073709551615").seed, 18446744073709551615ull);
    EXPECT_EQ(parsed("crash=20").crashAtRead, 20u);
    EXPECT_EQ(parsed("").crashAtRead, 0u);

    SimSettings settings = parsed("stuck-on=1");
    EXPECT_EQ(settings.inputs[1].stuck, Stuck::On);
    settings.inputs[1].stuck = Stuck::No;
    expectHealthyInputs(settings);

    EXPECT_EQ(parsed("stuck-off=0").inputs[0].stuck, Stuck::Off);
    EXPECT_EQ(parsed("stuck-off=2").inputs[2].stuck, Stuck::Off);

    settings = parsed("cross=0:2");
    EXPECT_EQ(settings.inputs[0].source, 2);
    EXPECT_EQ(settings.inputs[1].source, 1);
    EXPECT_EQ(settings.inputs[2].source, 0);

    settings = parsed("slow=1:25");
    EXPECT_EQ(settings.inputs[1].delayMs, 25u);
    settings.inputs[1].delayMs = 0;
    expectHealthyInputs(settings);
    EXPECT_EQ(parsed("slow=0:60000").inputs[0].delayMs, 60000u);

    settings = parsed("invert=2");
    EXPECT_TRUE(settings.inputs[2].inverted);
    settings.inputs[2].inverted = false;
    expectHealthyInputs(settings);

    settings = parsed("cross-invert=1:2");
    EXPECT_EQ(settings.inputs[1].source, 2);
    EXPECT_TRUE(settings.inputs[1].sourceInverted);
    EXPECT_EQ(settings.inputs[2].source, 2) << "only input 1 moves";
    EXPECT_FALSE(settings.inputs[1].inverted);

    settings = parsed("bridge=0:2:1:or");
    EXPECT_EQ(settings.inputs[0].source, 1);
    EXPECT_EQ(settings.inputs[0].bridgedWith, 2);
    EXPECT_TRUE(settings.inputs[0].bridgeOr);
    settings = parsed("bridge=2:0:2:and");
    EXPECT_EQ(settings.inputs[2].source, 0);
    EXPECT_EQ(settings.inputs[2].bridgedWith, 2);
    EXPECT_FALSE(settings.inputs[2].bridgeOr);

    settings = parsed("slow-rise=1:25,slow-fall=1:40");
    EXPECT_EQ(settings.inputs[1].riseDelayMs, 25u);
    EXPECT_EQ(settings.inputs[1].fallDelayMs, 40u);
    EXPECT_EQ(settings.inputs[1].delayMs, 0u);

    settings = parsed("glitch=2:598,glitch=2:7,glitch=0:18446744073709551615");
    EXPECT_EQ(settings.inputs[2].glitchReads[0], 598u);
    EXPECT_EQ(settings.inputs[2].glitchReads[1], 7u);
    EXPECT_EQ(settings.inputs[2].glitchReads[2], 0u);
    EXPECT_EQ(settings.inputs[0].glitchReads[0], 18446744073709551615ull);
}

TEST(SimSettings, ErrorRatesAreExactInPartsPerMillion)
{
    EXPECT_EQ(parsed("flaky=2:5%").inputs[2].errorRatePpm, 50000u);
    EXPECT_EQ(parsed("flaky=0:2.5%").inputs[0].errorRatePpm, 25000u);
    EXPECT_EQ(parsed("flaky=1:0%").inputs[1].errorRatePpm, 0u);
    EXPECT_EQ(parsed("flaky=1:100%").inputs[1].errorRatePpm, 1000000u);
    EXPECT_EQ(parsed("flaky=1:100.0000%").inputs[1].errorRatePpm, 1000000u);
    EXPECT_EQ(parsed("flaky=1:0.0001%").inputs[1].errorRatePpm, 1u);
    EXPECT_EQ(parsed("flaky=1:33.3333%").inputs[1].errorRatePpm, 333333u);
}

TEST(SimSettings, ItemsCombine)
{
    SimSettings settings = parsed("stuck-on=1,no-giveio");
    EXPECT_EQ(settings.inputs[1].stuck, Stuck::On);
    EXPECT_FALSE(settings.giveioPresent);
    EXPECT_TRUE(settings.unitPresent);

    settings = parsed(" cross=0:1 , flaky=0:10% ,slow=0:30, stuck-off=2,seed=7");
    EXPECT_EQ(settings.inputs[0].source, 1);
    EXPECT_EQ(settings.inputs[1].source, 0);
    EXPECT_EQ(settings.inputs[0].errorRatePpm, 100000u);
    EXPECT_EQ(settings.inputs[0].delayMs, 30u);
    EXPECT_EQ(settings.inputs[2].stuck, Stuck::Off);
    EXPECT_EQ(settings.seed, 7u);

    settings = parsed("absent,no-giveio");
    EXPECT_FALSE(settings.unitPresent);
    EXPECT_FALSE(settings.giveioPresent);

    settings = parsed("healthy,no-giveio,seed=3");
    EXPECT_TRUE(settings.unitPresent);
    EXPECT_FALSE(settings.giveioPresent);
    EXPECT_EQ(settings.seed, 3u);

    // Every kind of fault once on each input.
    settings = parsed("stuck-on=0,flaky=1:1%,flaky=2:2%,slow=1:5,slow=2:6,cross=1:2,invert=1,invert=0");
    EXPECT_EQ(settings.inputs[2].source, 1);
    EXPECT_EQ(settings.inputs[2].delayMs, 6u);
    EXPECT_TRUE(settings.inputs[1].inverted);
    EXPECT_TRUE(settings.inputs[0].inverted);
    EXPECT_FALSE(settings.inputs[2].inverted);
}

namespace {

struct Rejected {
    const char* text;
    std::vector<std::string> mentions; // all must appear in the message
};

const std::string ACCEPTED_LIST = "accepted items: healthy, absent, no-giveio, stuck-on=C";

} // namespace

// Every refusal names the variable, the item given and what is accepted.
TEST(SimSettings, RefusedItemsAreNamedWithWhatIsAccepted)
{
    const Rejected cases[] = {
        {"bogus", {"unknown item \"bogus\"", ACCEPTED_LIST}},
        {"Stuck-On=1", {"unknown item \"Stuck-On=1\"", ACCEPTED_LIST}},
        {"stuck-on=1,flakey=1:2%", {"unknown item \"flakey=1:2%\"", ACCEPTED_LIST}},
        {"stuck-on=1,,absent", {"empty item at position 2", ACCEPTED_LIST}},
        {"stuck-on=1,", {"empty item at position 2"}},
        {",", {"empty item at position 1"}},
        {"absent=1", {"bad item \"absent=1\"", "expected absent without a value"}},
        {"no-giveio=yes", {"bad item \"no-giveio=yes\"", "expected no-giveio without a value"}},
        {"healthy=", {"expected healthy without a value"}},
        // A malformed value is answered with the item's form.
        {"stuck-on=3", {"bad item \"stuck-on=3\"", "expected stuck-on=C with C 0, 1 or 2"}},
        {"stuck-on=", {"expected stuck-on=C"}},
        {"stuck-on", {"bad item \"stuck-on\"", "expected stuck-on=C"}},
        {"stuck-on=-1", {"expected stuck-on=C"}},
        {"stuck-on=1x", {"expected stuck-on=C"}},
        {"stuck-on=01x", {"expected stuck-on=C"}},
        {"stuck-off=9", {"bad item \"stuck-off=9\"", "expected stuck-off=C"}},
        {"cross=1:1", {"bad item \"cross=1:1\"", "expected cross=A:B with A and B two different inputs"}},
        {"cross=0", {"expected cross=A:B"}},
        {"cross=0:3", {"expected cross=A:B"}},
        {"cross=0:1:2", {"expected cross=A:B"}},
        {"flaky=2:5", {"bad item \"flaky=2:5\"", "expected flaky=C:P% with C 0, 1 or 2"}},
        {"flaky=2:101%", {"expected flaky=C:P%"}},
        {"flaky=2:100.0001%", {"expected flaky=C:P%"}},
        {"flaky=2:5.%", {"expected flaky=C:P%"}},
        {"flaky=2:.5%", {"expected flaky=C:P%"}},
        {"flaky=2:1.00001%", {"expected flaky=C:P%"}},
        {"flaky=2:-1%", {"expected flaky=C:P%"}},
        {"flaky=2:5%%", {"expected flaky=C:P%"}},
        {"flaky=2", {"expected flaky=C:P%"}},
        {"flaky=3:5%", {"expected flaky=C:P%"}},
        {"slow=1:60001", {"bad item \"slow=1:60001\"", "expected slow=C:MS", "0 to 60000"}},
        {"slow=1:25ms", {"expected slow=C:MS"}},
        {"slow=1:", {"expected slow=C:MS"}},
        {"slow=1", {"expected slow=C:MS"}},
        {"invert=3", {"bad item \"invert=3\"", "expected invert=C with C 0, 1 or 2"}},
        {"invert", {"expected invert=C"}},
        {"invert=0:1", {"expected invert=C"}},
        {"inverted=0", {"unknown item \"inverted=0\"", "slow=C:MS, invert=C, seed=N"}},
        {"seed=18446744073709551616", {"bad item \"seed=18446744073709551616\"", "expected seed=N"}},
        {"seed=-1", {"expected seed=N"}},
        {"seed=0x10", {"expected seed=N"}},
        {"seed=", {"expected seed=N"}},
        {"crash=0", {"bad item \"crash=0\"", "expected crash=N with N a whole number from 1"}},
        {"crash=", {"expected crash=N"}},
        {"crash", {"expected crash=N"}},
        {"crash=1,crash=2", {"item \"crash=2\" is given twice"}},
        {"cross-invert=1:1", {"bad item \"cross-invert=1:1\"", "expected cross-invert=C:K with C and K two different"}},
        {"cross-invert=1", {"expected cross-invert=C:K"}},
        {"cross-invert=1:3", {"expected cross-invert=C:K"}},
        {"bridge=1:2:2:and", {"bad item \"bridge=1:2:2:and\"", "expected bridge=C:J:K:and|or", "J and K different"}},
        {"bridge=1:0:2:xor", {"expected bridge=C:J:K:and|or"}},
        {"bridge=1:0:2", {"expected bridge=C:J:K:and|or"}},
        {"bridge=1:0:2:AND", {"expected bridge=C:J:K:and|or"}},
        {"bridge=3:0:2:or", {"expected bridge=C:J:K:and|or"}},
        {"slow-rise=1:0", {"bad item \"slow-rise=1:0\"", "expected slow-rise=C:MS", "from 1 to 60000"}},
        {"slow-rise=1:60001", {"expected slow-rise=C:MS"}},
        {"slow-fall=2:", {"bad item \"slow-fall=2:\"", "expected slow-fall=C:MS"}},
        {"slow-fall=2:5ms", {"expected slow-fall=C:MS"}},
        {"glitch=0:0", {"bad item \"glitch=0:0\"", "expected glitch=C:N", "from 1 to 18446744073709551615"}},
        {"glitch=0:18446744073709551616", {"expected glitch=C:N"}},
        {"glitch=0", {"expected glitch=C:N"}},
        {"glitch=3:5", {"expected glitch=C:N"}},
        // Contradictions are refused, not resolved.
        {"glitch=1:5,glitch=1:5", {"item \"glitch=1:5\" is given twice"}},
        {"glitch=0:1,glitch=0:2,glitch=0:3,glitch=0:4,glitch=0:5,glitch=0:6,glitch=0:7,glitch=0:8,glitch=0:9",
         {"item \"glitch=0:9\": input 0 can have at most 8 glitch items"}},
        {"absent,glitch=0:5", {"item \"glitch=0:5\" conflicts with \"absent\"", "an absent unit"}},
        {"glitch=0:5,healthy", {"item \"healthy\" conflicts with \"glitch=0:5\"", "a healthy unit"}},
        {"cross=0:1,cross-invert=0:2", {"item \"cross-invert=0:2\" conflicts with \"cross=0:1\"",
                                        "input 0 can be crossed only once"}},
        {"bridge=2:0:1:and,cross-invert=2:0", {"input 2 can be crossed only once"}},
        {"slow-rise=0:5,slow-rise=0:6", {"input 0 can be slow-rise only once"}},
        {"slow-fall=1:5,slow-fall=1:6", {"input 1 can be slow-fall only once"}},
        {"no-giveio,no-giveio", {"item \"no-giveio\" is given twice"}},
        {"absent,absent", {"item \"absent\" is given twice"}},
        {"stuck-on=1,stuck-off=1",
         {"item \"stuck-off=1\" conflicts with \"stuck-on=1\"", "input 1 can be stuck only once"}},
        {"stuck-on=1,stuck-on=1", {"input 1 can be stuck only once"}},
        {"cross=0:1,cross=1:2",
         {"item \"cross=1:2\" conflicts with \"cross=0:1\"", "input 1 can be crossed only once"}},
        {"flaky=0:1%,flaky=0:2%", {"input 0 can be flaky only once"}},
        {"slow=2:1,slow=2:2", {"input 2 can be slow only once"}},
        {"invert=1,invert=1",
         {"item \"invert=1\" conflicts with \"invert=1\"", "input 1 can be inverted only once"}},
        {"absent,invert=0", {"item \"invert=0\" conflicts with \"absent\"", "an absent unit"}},
        {"invert=2,healthy", {"item \"healthy\" conflicts with \"invert=2\"", "a healthy unit"}},
        {"absent,stuck-on=1", {"item \"stuck-on=1\" conflicts with \"absent\"", "an absent unit"}},
        {"stuck-on=1,absent", {"item \"absent\" conflicts with \"stuck-on=1\"", "an absent unit"}},
        {"healthy,slow=0:5", {"item \"slow=0:5\" conflicts with \"healthy\"", "a healthy unit"}},
        {"cross=0:2,healthy", {"item \"healthy\" conflicts with \"cross=0:2\"", "a healthy unit"}},
        {"healthy,absent", {"item \"absent\" conflicts with \"healthy\""}},
        {"absent,healthy", {"item \"healthy\" conflicts with \"absent\""}},
        {"seed=1,seed=2", {"item \"seed=2\" conflicts with \"seed=1\""}},
    };
    for (const auto& rejected : cases) {
        SCOPED_TRACE(rejected.text);
        const auto result = parseSimSettings(rejected.text);
        EXPECT_FALSE(result.settings.has_value());
        EXPECT_EQ(result.error.rfind("ZORIK_SIM: ", 0), 0u) << result.error;
        for (const auto& mention : rejected.mentions)
            EXPECT_NE(result.error.find(mention), std::string::npos) << result.error;
    }
}
