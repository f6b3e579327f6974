// Whether a library an image imports is one Windows itself provides, so
// that the image runs on a bare system with nothing shipped beside it.
#pragma once

#include <string>

namespace zorik::wine {

// True for the MinGW runtime DLLs (libstdc++, libgcc, libwinpthread), which
// must be linked in statically rather than shipped.
bool isMingwRuntime(const std::string& library);

// True if `library` exists in the directory GetSystemDirectoryA names.
bool inSystemDirectory(const std::string& library);

} // namespace zorik::wine
