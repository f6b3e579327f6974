// Windows' own words for an error code, as the files' describe() give them
// to the texts that name a file and why it failed.
#pragma once

#include <string>

// The system's sentence for `error`, without its closing line break; empty
// when Windows has none.
std::string windowsErrorText(unsigned long error);
