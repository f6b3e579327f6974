# The shipped files, flat in one folder: the two images, the library's
# header and import library, a short README for the bench PC and the
# licence. Texts get Windows line ends, so that Notepad on Windows 98 shows
# them as lines.
set(ZORIK_VERSION ${PROJECT_VERSION})
configure_file(docs/package/README.txt ${PROJECT_BINARY_DIR}/package/README.txt @ONLY NEWLINE_STYLE WIN32)
configure_file(LICENSE ${PROJECT_BINARY_DIR}/package/LICENSE.txt COPYONLY)
file(READ ${PROJECT_BINARY_DIR}/package/LICENSE.txt zorik_licence)
string(REPLACE "\r\n" "\n" zorik_licence "${zorik_licence}")
string(REPLACE "\n" "\r\n" zorik_licence "${zorik_licence}")
file(WRITE ${PROJECT_BINARY_DIR}/package/LICENSE.txt "${zorik_licence}")

install(TARGETS Zorik RUNTIME DESTINATION .)
install(TARGETS ZorikApi RUNTIME DESTINATION . ARCHIVE DESTINATION .)
install(FILES
    portlib/include/ZorikApi.h
    ${PROJECT_BINARY_DIR}/package/README.txt
    ${PROJECT_BINARY_DIR}/package/LICENSE.txt
    DESTINATION .)

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
