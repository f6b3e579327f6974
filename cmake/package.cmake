# The shipped files, flat in one folder: the two images, the library's
# header and import library, a short README for the bench PC and the
# licence; and in the hardware package's x64 folder the library for 64-bit
# programs with its import library. Texts get Windows line ends, so that Notepad on Windows
# 98 shows them as lines.
set(ZORIK_VERSION ${PROJECT_VERSION})
configure_file(docs/package/README.txt ${PROJECT_BINARY_DIR}/package/README.txt @ONLY NEWLINE_STYLE WIN32)
configure_file(LICENSE ${PROJECT_BINARY_DIR}/package/LICENSE.txt COPYONLY)
file(READ ${PROJECT_BINARY_DIR}/package/LICENSE.txt zorik_licence)
string(REPLACE "\r\n" "\n" zorik_licence "${zorik_licence}")
string(REPLACE "\n" "\r\n" zorik_licence "${zorik_licence}")
file(WRITE ${PROJECT_BINARY_DIR}/package/LICENSE.txt "${zorik_licence}")

# The hardware package's x64 folder holds the x64 library, from a nested
# build of this source with the x86_64 toolchain: the DLL and its import
# library alone. (The simulated x64 library is the x64-sim preset's; the
# simulated package stays 32-bit, which keeps the test run's builds short.)
if(ZORIK_BACKEND STREQUAL "hardware")
    include(ExternalProject)
    set(ZORIK_X64_BUILD ${PROJECT_BINARY_DIR}/x64)
    ExternalProject_Add(zorik_x64_library
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${ZORIK_X64_BUILD}
        CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchain-mingw-x86_64.cmake
                   -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DZORIK_BACKEND=hardware -DBUILD_TESTING=OFF
        BUILD_COMMAND ${CMAKE_COMMAND} --build ${ZORIK_X64_BUILD} --target ZorikApi
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${ZORIK_X64_BUILD}/bin/ZorikApi.dll ${ZORIK_X64_BUILD}/lib/ZorikApi.lib
        INSTALL_COMMAND "")
endif()

install(TARGETS Zorik RUNTIME DESTINATION .)
install(TARGETS ZorikApi RUNTIME DESTINATION . ARCHIVE DESTINATION .)
install(FILES
    portlib/include/ZorikApi.h
    ${PROJECT_BINARY_DIR}/package/README.txt
    ${PROJECT_BINARY_DIR}/package/LICENSE.txt
    DESTINATION .)
if(ZORIK_BACKEND STREQUAL "hardware")
    install(FILES ${ZORIK_X64_BUILD}/bin/ZorikApi.dll ${ZORIK_X64_BUILD}/lib/ZorikApi.lib DESTINATION x64)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Zorik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The simulated build says so in its package's name too: it drives no port.
if(ZORIK_BACKEND STREQUAL "hardware")
    set(CPACK_PACKAGE_FILE_NAME "Zorik-${PROJECT_VERSION}-win32")
else()
    set(CPACK_PACKAGE_FILE_NAME "Zorik-${PROJECT_VERSION}-win32-simulated")
endif()
include(CPack)
