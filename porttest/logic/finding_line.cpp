// Compiled with -fexec-charset=CP949: the literals below are code page 949
// bytes although this file is UTF-8.
#include "finding_line.h"

#include "program_texts.h"
#include "result_file.h"
#include "summary_line.h"

namespace zorik {

namespace {

// The digits are read 영, 일, 이: only 2 ends in a vowel, which decides the
// particle after it.
bool endsInVowel(int digit)
{
    return digit == 2;
}

void appendDigit(std::string& text, int digit)
{
    text += static_cast<char>('0' + digit);
}

const char* subject(int digit)
{
    return endsInVowel(digit) ? "가" : "이";
}

const char* with(int digit)
{
    return endsInVowel(digit) ? "와" : "과";
}

// A text of program_texts with its J and K put in as digits; a double-byte
// character is copied whole, since its second byte may look like a letter.
void appendFilled(std::string& text, const char* words, int j, int k)
{
    for (const char* at = words; *at != '\0'; ++at) {
        const unsigned char byte = static_cast<unsigned char>(*at);
        if (byte >= 0x81 && at[1] != '\0') {
            text += *at++;
            text += *at;
        } else if (*at == 'J') {
            appendDigit(text, j);
        } else if (*at == 'K') {
            appendDigit(text, k);
        } else {
            text += *at;
        }
    }
}

// "입력 1이 " or "입력 2가 ".
void appendSubject(std::string& text, int c)
{
    text += "입력 ";
    appendDigit(text, c);
    text += subject(c);
    text += ' ';
}

// "입력 1 항상 꺼짐" and, in full, ": 1번 배선 확인".
void appendPlain(std::string& text, int c, const char* what, const char* where, bool full)
{
    text += "입력 ";
    appendDigit(text, c);
    text += ' ';
    text += what;
    if (full) {
        text += ": ";
        appendDigit(text, c);
        text += where;
    }
}

void appendFinding(std::string& text, const InputFinding& input, int c, bool pairedWithLower,
                   bool full)
{
    switch (input.finding) {
    case Finding::StuckOn:
        appendPlain(text, c, "항상 켜짐", "번 배선 확인", full);
        break;
    case Finding::StuckOff:
        appendPlain(text, c, "항상 꺼짐", "번 배선 확인", full);
        break;
    case Finding::Inverted:
        appendPlain(text, c, "반대로 읽힘", "번 입력 회로 확인", full);
        break;
    case Finding::Slow:
        appendPlain(text, c, "느림(10ms 넘음)", "번 입력 회로 확인", full);
        break;
    case Finding::Intermittent:
        text += "입력 ";
        appendDigit(text, c);
        text += " 간헐 불량 ";
        appendPercent(text, input.errorRate, 2);
        text += '%';
        if (full) {
            text += " (95%: ";
            appendPercent(text, input.errorRateLow, 1);
            text += '-';
            appendPercent(text, input.errorRateHigh, 1);
            text += "%)";
        }
        break;
    case Finding::Crossed:
        if (pairedWithLower) {
            // Two inputs on each other's outputs: the wires swapped, said once.
            const int k = input.output;
            const int low = c < k ? c : k;
            const int high = c < k ? k : c;
            text += "입력 ";
            appendDigit(text, low);
            text += with(low);
            text += ' ';
            appendDigit(text, high);
            text += subject(high);
            text += " 서로 바뀜";
            if (full) {
                text += ": ";
                appendDigit(text, low);
                text += "번과 ";
                appendDigit(text, high);
                text += kFindingSwappedWires;
            }
        } else {
            // One input on another's line: a stray wire or a short to it;
            // swapping wires would break the good input.
            appendSubject(text, c);
            appendFilled(text, kFindingReadsLine, -1, input.output);
            if (full) {
                text += ": ";
                appendDigit(text, c);
                appendFilled(text, kFindingTouchesLine, -1, input.output);
            }
        }
        break;
    case Finding::CrossedInverted:
        appendSubject(text, c);
        appendFilled(text, kFindingReadsOpposite, -1, input.output);
        if (full) {
            text += ": ";
            appendDigit(text, c);
            appendFilled(text, kFindingTouchesLine, -1, input.output);
            text += kFindingAndInverter;
        }
        break;
    case Finding::Bridged:
        text += "입력 ";
        appendDigit(text, c);
        text += ' ';
        appendFilled(text, kFindingBridged, input.outputs[0], input.outputs[1]);
        if (full) {
            text += ": ";
            appendDigit(text, input.outputs[0]);
            text += "번과 ";
            appendDigit(text, input.outputs[1]);
            text += kFindingBridgedWhere;
        }
        break;
    case Finding::SlowRise:
        appendPlain(text, c, kFindingSlowRise, kFindingSlowRiseWhere, full);
        break;
    case Finding::SlowFall:
        appendPlain(text, c, kFindingSlowFall, "번 입력 회로 확인", full);
        break;
    case Finding::Other: {
        std::string what = kFindingOther;
        what += input.rule;
        appendPlain(text, c, what.c_str(), "번 배선 확인", full);
        break;
    }
    default:
        break;
    }
    // A fixed fault that does not always show: how often it did not.
    if (full && input.exceptions > 0 && input.finding != Finding::Intermittent) {
        text += kFindingExceptions;
        appendPercent(text, input.errorRate, 2);
        text += '%';
    }
}

// A finding in two or three words, for what it was before and what an
// input flaps between.
void appendShortName(std::string& text, const FindingName& name)
{
    switch (name.finding) {
    case Finding::Ok:
        text += "정상";
        break;
    case Finding::StuckOn:
        text += "항상 켜짐";
        break;
    case Finding::StuckOff:
        text += "항상 꺼짐";
        break;
    case Finding::Inverted:
        text += "반대로 읽힘";
        break;
    case Finding::Crossed:
        text += "출력 ";
        appendDigit(text, name.output);
        text += " 읽음";
        break;
    case Finding::CrossedInverted:
        text += "출력 ";
        appendDigit(text, name.output);
        text += " 반대 읽음";
        break;
    case Finding::Bridged:
        appendFilled(text, kFindingBridged, name.outputs[0], name.outputs[1]);
        break;
    case Finding::Slow:
        text += "느림";
        break;
    case Finding::SlowRise:
        text += "켜질 때 느림";
        break;
    case Finding::SlowFall:
        text += "꺼질 때 느림";
        break;
    case Finding::Other:
        text += "기타 규칙";
        break;
    case Finding::Intermittent:
        text += "간헐 불량";
        break;
    default:
        text += "판정 중";
        break;
    }
}

// "5,001": a cycle as the operator reads it.
void appendCycle(std::string& text, std::uint32_t cycle)
{
    std::string digits;
    appendDecimal(digits, cycle);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
}

// Since when the present finding holds and what it was before:
// ", 14:32:10부터 (사이클 5,001), 그 전 정상". Only for an input that
// changed; a flapping one says how often instead.
void appendSince(std::string& text, const InputFinding& input, bool withTime)
{
    if (input.changes == 0 || input.flapping)
        return;
    text += ", ";
    if (withTime && input.sinceTime.year != 0) {
        appendDecimal(text, input.sinceTime.hour, 2);
        text += ':';
        appendDecimal(text, input.sinceTime.minute, 2);
        text += ':';
        appendDecimal(text, input.sinceTime.second, 2);
        text += "부터 (사이클 ";
        appendCycle(text, input.since);
        text += ')';
    } else {
        text += "사이클 ";
        appendCycle(text, input.since);
        text += "부터";
    }
    if (input.hasBefore) {
        text += ", 그 전 ";
        appendShortName(text, input.before);
    }
}

// "입력 1 간헐 불량(항상 꺼짐/정상, 12회 바뀜)" and, in full, ": 1번 접촉 불량 확인".
void appendFlapping(std::string& text, const InputFinding& input, int c, bool full)
{
    text += "입력 ";
    appendDigit(text, c);
    text += " 간헐 불량(";
    appendShortName(text, input.between[0]);
    text += '/';
    appendShortName(text, input.between[1]);
    text += ", ";
    appendDecimal(text, input.changes);
    text += "회 바뀜)";
    if (full) {
        text += ": ";
        appendDigit(text, c);
        text += "번 접촉 불량 확인";
    }
}

FindingName nameOf(const InputFinding& input)
{
    FindingName name;
    name.finding = input.finding;
    name.output = input.output;
    name.outputs[0] = input.outputs[0];
    name.outputs[1] = input.outputs[1];
    return name;
}

bool isFault(Finding finding)
{
    return finding != Finding::Ok && finding != Finding::Undetermined;
}

// How much the line says of each input: where to look, since when (with
// the time or only the cycle).
struct Detail {
    bool where;
    bool since;
    bool time;
};

std::string lineOf(const InputFinding (&inputs)[Diagnosis::kInputs], Detail detail)
{
    const bool full = detail.where;
    std::string text;
    for (int c = 0; c < Diagnosis::kInputs; ++c) {
        const InputFinding& input = inputs[c];
        // An input that changed is named whatever it reads now: healed,
        // or its new rule still being learnt.
        if (!isFault(input.finding)) {
            if (input.changes == 0)
                continue;
            if (!text.empty())
                text += "  ";
            text += "입력 ";
            appendDigit(text, c);
            text += ' ';
            appendShortName(text, nameOf(input));
            if (detail.since)
                appendSince(text, input, detail.time);
            continue;
        }
        if (input.flapping) {
            if (!text.empty())
                text += "  ";
            appendFlapping(text, input, c, full);
            continue;
        }
        bool paired = false;
        if (input.finding == Finding::Crossed) {
            const InputFinding& other = inputs[input.output];
            paired = other.finding == Finding::Crossed && other.output == c;
            if (paired && input.output < c)
                continue; // said with the lower input
        }
        if (!text.empty())
            text += "  ";
        appendFinding(text, input, c, paired, full);
        if (detail.since)
            appendSince(text, input, detail.time);
    }
    return text;
}

} // namespace

std::size_t cp949Characters(const std::string& text)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++characters) {
        if (static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size())
            ++i;
    }
    return characters;
}

std::string formatFindingLine(const Diagnosis& diagnosis)
{
    if (diagnosis.unit() == UnitPresence::Absent)
        return "유닛 없음 또는 전원 꺼짐: 연결과 전원 확인";
    InputFinding inputs[Diagnosis::kInputs];
    for (int c = 0; c < Diagnosis::kInputs; ++c)
        inputs[c] = diagnosis.input(c);
    // Where to look goes first, then the time, then since when.
    const Detail details[] = {{true, true, true}, {false, true, true}, {false, true, false}, {false, false, false}};
    std::string line;
    for (const Detail& detail : details) {
        line = lineOf(inputs, detail);
        if (cp949Characters(line) <= kFindingLineCharacters)
            break;
    }
    return line;
}

} // namespace zorik
