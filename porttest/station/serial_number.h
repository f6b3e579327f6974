// The serial number a barcode reader (or the operator) types into the
// station's field: 1 to 32 printable ASCII characters, neither a comma nor
// a double quote (the history is a CSV file a spreadsheet opens), and no
// blank at either end (a scanner's stray blank would make two serials of
// one unit).
#pragma once

#include <string>

namespace zorik {

constexpr std::size_t kLongestSerial = 32;

// Empty when `read` is a serial; otherwise the banner's refusal (code page
// 949), naming what was read (bytes outside printable ASCII as \xNN) and
// what is accepted.
std::string serialRefusal(const std::string& read);

} // namespace zorik
