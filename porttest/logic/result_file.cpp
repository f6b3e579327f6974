#include "result_file.h"

#include "proof_rate.h"

namespace zorik {

namespace {

void appendLine(std::string& text, const char* key, const char* value)
{
    text += key;
    text += '=';
    text += value;
    text += "\r\n";
}

void appendNumberLine(std::string& text, const char* key, std::uint64_t value)
{
    text += key;
    text += '=';
    appendDecimal(text, value);
    text += "\r\n";
}

void appendPercentLine(std::string& text, const char* key, double percent)
{
    text += key;
    text += '=';
    appendPercent(text, percent);
    text += "\r\n";
}

const char* unitWord(UnitPresence unit)
{
    switch (unit) {
    case UnitPresence::Present:
        return "present";
    case UnitPresence::Absent:
        return "absent";
    default:
        return "undetermined";
    }
}

} // namespace

const char* findingWord(Finding finding)
{
    static const char* const kWords[] = {"undetermined", "ok",        "stuck-on",  "stuck-off",        "inverted",
                                         "crossed",      "slow",      "intermittent", "crossed-inverted", "bridged",
                                         "slow-rise",    "slow-fall", "other"};
    const int index = static_cast<int>(finding);
    return index >= 0 && index < static_cast<int>(sizeof kWords / sizeof kWords[0]) ? kWords[index] : kWords[0];
}

const char* runEndingWord(RunEnding ended)
{
    static const char* const kWords[] = {"bound", "early", "operator", "out-of-memory", "proved", "finding"};
    const unsigned index = static_cast<unsigned>(ended);
    return index < sizeof kWords / sizeof kWords[0] ? kWords[index] : "operator";
}

const char* resultVerdictWord(const SummaryFigures& figures, RunEnding ended)
{
    if (verdictOf(figures) == Verdict::Fail)
        return "FAIL";
    return ended == RunEnding::Early || ended == RunEnding::OutOfMemory ? "INCOMPLETE" : "PASS";
}

void appendPercent(std::string& text, double percent, int decimals)
{
    std::uint32_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    if (!(percent > 0))
        percent = 0;
    if (percent > 100)
        percent = 100;
    const std::uint32_t scaled = static_cast<std::uint32_t>(percent * scale + 0.5);
    appendDecimal(text, scaled / scale);
    if (decimals > 0) {
        text += '.';
        appendDecimal(text, scaled % scale, decimals);
    }
}

void appendShare(std::string& text, std::uint32_t part, std::uint32_t whole)
{
    if (whole == 0) {
        text += "-";
        return;
    }
    appendPercent(text, 100.0 * part / whole, 1);
    text += "% (";
    appendDecimal(text, part);
    text += '/';
    appendDecimal(text, whole);
    text += ')';
}

std::string formatResultFile(const SummaryFigures& figures, const Diagnosis& diagnosis, const RunOutcome& outcome)
{
    const std::uint64_t* const d = figures.disagreements;
    std::string text;
    text.reserve(512);
    text += "[Result]\r\n";
    appendLine(text, "Verdict", resultVerdictWord(figures, outcome.ended));
    appendNumberLine(text, "Cycles", figures.cycles);
    appendNumberLine(text, "Disagreements", d[0] + d[1] + d[2]);
    appendNumberLine(text, "Seconds", figures.testingSeconds);
    appendLine(text, "Unit", unitWord(diagnosis.unit()));
    appendLine(text, "Ended", runEndingWord(outcome.ended));
    if (outcome.ended == RunEnding::Proved && outcome.provenBelow != 0)
        appendLine(text, "ProvenBelow", formatRate(outcome.provenBelow).c_str());
    appendNumberLine(text, "ExitCode", static_cast<std::uint64_t>(outcome.exitCode));
    if (!outcome.journalLeft.empty())
        appendLine(text, "JournalLeft", outcome.journalLeft.c_str());
    for (int c = 0; c < Diagnosis::kInputs; ++c) {
        const InputFinding input = diagnosis.input(c);
        text += "[Input";
        appendDecimal(text, static_cast<std::uint64_t>(c));
        text += "]\r\n";
        appendInputSection(text, input, d[c]);
    }
    return text;
}

void appendInputSection(std::string& text, const InputFinding& input, std::uint64_t disagreements)
{
    appendLine(text, "Finding", findingWord(input.finding));
    if (input.output >= 0)
        appendNumberLine(text, "Output", static_cast<std::uint64_t>(input.output));
    if (input.finding == Finding::Bridged) {
        text += "Outputs=";
        appendDecimal(text, static_cast<std::uint64_t>(input.outputs[0]));
        text += ',';
        appendDecimal(text, static_cast<std::uint64_t>(input.outputs[1]));
        text += "\r\n";
    }
    if (input.finding != Finding::Undetermined)
        appendLine(text, "Rule", input.rule.c_str());
    appendNumberLine(text, "Readings", input.readings);
    appendNumberLine(text, "Disagreements", disagreements);
    if (input.finding != Finding::Undetermined)
        appendNumberLine(text, "Exceptions", input.exceptions);
    if (input.exceptions > 0) {
        appendPercentLine(text, "ErrorRate", input.errorRate);
        appendPercentLine(text, "ErrorRateLow", input.errorRateLow);
        appendPercentLine(text, "ErrorRateHigh", input.errorRateHigh);
    }
    if (input.readings == 0)
        return;
    appendNumberLine(text, "Since", input.since);
    if (input.sinceTime.year != 0) {
        const DateTime& t = input.sinceTime;
        text += "SinceTime=";
        appendDecimal(text, t.year, 4);
        const struct {
            char before;
            std::uint8_t value;
        } parts[] = {{'-', t.month}, {'-', t.day}, {' ', t.hour}, {':', t.minute}, {':', t.second}};
        for (const auto& part : parts) {
            text += part.before;
            appendDecimal(text, part.value, 2);
        }
        text += "\r\n";
    }
    appendNumberLine(text, "Changes", input.changes);
    if (input.hasBefore)
        appendLine(text, "Before", findingWord(input.before.finding));
    if (input.flapping) {
        text += "Between=";
        text += findingWord(input.between[0].finding);
        text += '/';
        text += findingWord(input.between[1].finding);
        text += "\r\n";
    }
}

} // namespace zorik
