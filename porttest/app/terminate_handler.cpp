// What the C++ runtime does when an exception escapes or std::terminate is
// called. Its own handler prints the exception's demangled type name on
// standard error, which a windowed program does not have, and brings the
// runtime's 46 KB demangler into the image for it. This one ends the
// program as that handler does after printing.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx
