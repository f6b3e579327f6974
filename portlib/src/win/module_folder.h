// Files the library finds beside itself: through its own module handle,
// never the current directory or the search path, which belong to whatever
// program loaded it (a file planted there must never be read or run).
#pragma once

#include <cstddef>

namespace zorik {

// Room for any path the loader hands out (less than MAX_PATH characters)
// with a short file name in place of the module's.
inline constexpr std::size_t BESIDE_MODULE_PATH_CAPACITY = 260 + 32;

// From DllMain: the library's own module handle, whose folder its files
// are found in.
void rememberLibraryModule(void* module);
void* libraryModule();

// "<folder of `module`>\<fileName>" in `path`, and in `folder` (when not
// null) the folder alone with its trailing backslash. False when the
// module's own path cannot be had whole or the result would not fit.
bool pathBesideModule(void* module, const char* fileName, char (&path)[BESIDE_MODULE_PATH_CAPACITY],
                      char (*folder)[BESIDE_MODULE_PATH_CAPACITY] = nullptr);

} // namespace zorik
