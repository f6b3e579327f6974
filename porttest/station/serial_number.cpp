#include "serial_number.h"

namespace zorik {

namespace {

bool printable(char c)
{
    return c >= 0x20 && c <= 0x7E;
}

// What was read, as the operator can see it: a control character or a
// byte beyond ASCII shows as \xNN, and a long read is cut after 40.
std::string shown(const std::string& read)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    std::size_t i = 0;
    for (; i < read.size() && i < 40; ++i) {
        const unsigned char byte = static_cast<unsigned char>(read[i]);
        if (printable(read[i])) {
            text += read[i];
        } else {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 15];
        }
    }
    if (i < read.size())
        text += "...";
    return text;
}

const char* fault(const std::string& read)
{
    if (read.empty())
        return "비어 있음";
    if (read.size() > kLongestSerial)
        return "32자 넘음";
    for (char c : read) {
        if (!printable(c))
            return "인쇄할 수 없는 문자";
        if (c == ',')
            return "쉼표(,)";
        if (c == '"')
            return "큰따옴표(\")";
    }
    if (read.front() == ' ' || read.back() == ' ')
        return "앞이나 뒤에 공백";
    return nullptr;
}

} // namespace

std::string serialRefusal(const std::string& read)
{
    const char* why = fault(read);
    if (why == nullptr)
        return std::string();
    return "일련번호 거부: \"" + shown(read) + "\" - " + why +
           "\r\n받는 것: 인쇄 가능한 ASCII 1~32자, 쉼표와 큰따옴표 없이, 앞뒤 공백 없이";
}

} // namespace zorik
