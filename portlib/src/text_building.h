// The few string steps the library's messages need, as plain loops: the
// DLL links no C library of its own. Out of line, so that each message
// costs the image a call per piece, not a copy of the loop.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zorik {

std::size_t lengthOf(const char* text);

// Copies as much of `text` as fits before `end`'s last byte, which stays
// zero; returns where the next text goes.
char* append(char* at, char* end, const char* text);

char* appendDecimal(char* at, char* end, std::uint32_t value);

} // namespace zorik
