# The x64 library's tests, under Wine's 64-bit loader in win64 prefixes
# (cmake/toolchain-mingw-x86_64.cmake). The same port emulator, scripts and
# byte tables as the 32-bit library's, built for x86-64: the library's
# bytes reach the port through a stand-in inpoutx64.dll (inpout_standin/,
# built from the 32-bit stand-in's source), whose port instructions the
# emulator steps over. The simulated x64 library is tested through its
# exports (tests/unit/sim/sim_dll_tests.cmake).
if(NOT ZORIK_BACKEND STREQUAL "hardware")
    return()
endif()

# The 32-bit stand-in's export lists without __stdcall's decoration, which
# x64 has not, under InpOut32's 64-bit name.
foreach(variant inpout32 lacks_write lacks_driver_check)
    set(exports_file ${CMAKE_CURRENT_SOURCE_DIR}/inpout_standin/${variant}.def)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${exports_file})
    file(READ ${exports_file} exports)
    string(REGEX REPLACE "@[0-9]+" "" exports "${exports}")
    string(REPLACE "inpout32.dll" "inpoutx64.dll" exports "${exports}")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/inpout-standin/${variant}-x64.def "${exports}")
endforeach()
# port_script: a MinGW x86_64 caller bound through the x64 ZorikApi.lib.
zorik_port_emulator_test(inpoutx64 ${CMAKE_CURRENT_BINARY_DIR}/inpout-standin/<variant>-x64.def)

zorik_wine_test(inpoutx64 wine_port_emulator_test "InpOutX64.*" win10 WIN64)

# The Visual Studio x64 callers, against a kernel32.lib made from the
# 32-bit export list without its decoration.
set(client ${CMAKE_CURRENT_SOURCE_DIR}/msvc_client)
set(client_build ${CMAKE_CURRENT_BINARY_DIR}/msvc_client)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${client}/kernel32.def)
file(READ ${client}/kernel32.def exports)
string(REGEX REPLACE "@[0-9]+" "" exports "${exports}")
file(WRITE ${client_build}/kernel32-x64.def "${exports}")
zorik_msvc_clients(x86_64-pc-windows-msvc ${client_build}/kernel32-x64.def msvc_clients_x64
                   DLLTOOL -m i386:x86-64 LINK /machine:x64)
zorik_wine_test(msvc_clients wine_port_emulator_test "InpOutX64MsvcClients.*" win10 WIN64)
set_tests_properties(${ZORIK_TEST_TAG}.msvc_clients PROPERTIES FIXTURES_REQUIRED msvc_clients_x64)
