# 64-bit Windows (PE32+, x86_64) with MinGW-w64's win32 thread model, for
# the x64 ZorikApi.dll that 64-bit programs load. Only the library and its
# tests are built with it (Zorik.exe stays a 32-bit program). Tests run
# under Wine's 64-bit loader, in a win64 prefix of their own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every test of this build runs in a win64 prefix; a 64-bit program needs no
# 32-bit code, so none of them is skipped on a kernel without IA-32.
set(CMAKE_CROSSCOMPILING_EMULATOR env ZORIK_WINE_ARCH=win64 "${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run-in-prefix.sh")
