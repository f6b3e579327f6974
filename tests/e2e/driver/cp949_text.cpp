#include "cp949_text.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

namespace zorik::e2e {
namespace {

constexpr UINT kKoreanCodePage = 949;

std::wstring toWide(UINT codePage, const std::string& bytes) {
    if (bytes.empty())
        return {};
    const int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0)
        throw std::runtime_error("not valid in code page " + std::to_string(codePage) + ": " +
                                 escapedBytes(bytes));
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        length);
    return wide;
}

std::string fromWide(UINT codePage, const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                        length, nullptr, nullptr);
    return bytes;
}

} // namespace

std::string cp949(const std::string& utf8) {
    return fromWide(kKoreanCodePage, toWide(CP_UTF8, utf8));
}

std::string utf8FromCp949(const std::string& cp949Bytes) {
    return fromWide(CP_UTF8, toWide(kKoreanCodePage, cp949Bytes));
}

std::string escapedBytes(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c >= 0x20 && c < 0x7F && c != '\\')
            out += static_cast<char>(c);
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string quotedText(const std::string& cp949Bytes) {
    std::string utf8;
    try {
        utf8 = utf8FromCp949(cp949Bytes);
    } catch (const std::exception&) {
        return "\"" + escapedBytes(cp949Bytes) + "\" (not code page 949)";
    }
    std::string out = "\"";
    for (const char c : utf8) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

} // namespace zorik::e2e
