// The program's texts are code page 949 bytes. The tests write their
// expectations as UTF-8 literals and convert them here, through the system's
// own code page tables, so that a wrong encoding in the program under test
// cannot be mirrored by the same mistake in the tests.
#pragma once

#include <string>

namespace zorik::e2e {

// UTF-8 to code page 949 bytes.
std::string cp949(const std::string& utf8);

// Code page 949 bytes to UTF-8, for patterns and readable failure messages.
std::string utf8FromCp949(const std::string& cp949Bytes);

// Byte string with CR, LF and non-ASCII bytes spelled out, for messages
// about exact file contents.
std::string escapedBytes(const std::string& bytes);

// Code page 949 text as readable UTF-8 in quotes, control bytes spelled
// out; raw bytes if the text is not valid code page 949.
std::string quotedText(const std::string& cp949Bytes);

} // namespace zorik::e2e
