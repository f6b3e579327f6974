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

# A MinGW x86_64 caller bound through the x64 ZorikApi.lib.
zorik_wine_program(port_script port_emulator/port_script.cpp LIBS ZorikApi)
zorik_wine_program(wine_port_emulator_test
    port_emulator/port_emulator_test.cpp
    port_emulator/port_debugger.cpp
    LIBS GTest::gtest_main)
add_dependencies(wine_port_emulator_test port_script)
target_include_directories(wine_port_emulator_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/fakes)

# The 32-bit stand-in's export lists without __stdcall's decoration, which
# x64 has not, under InpOut32's 64-bit name.
set(ZORIK_INPOUT_STANDINS ${PROJECT_BINARY_DIR}/inpout-standin)
foreach(variant inpout32 lacks_write lacks_driver_check)
    set(exports_file ${CMAKE_CURRENT_SOURCE_DIR}/inpout_standin/${variant}.def)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${exports_file})
    file(READ ${exports_file} exports)
    string(REGEX REPLACE "@[0-9]+" "" exports "${exports}")
    string(REPLACE "inpout32.dll" "inpoutx64.dll" exports "${exports}")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/inpout-standin/${variant}-x64.def "${exports}")
    add_library(inpout_standin_${variant} SHARED inpout_standin/inpout_standin.cpp
                ${CMAKE_CURRENT_BINARY_DIR}/inpout-standin/${variant}-x64.def)
    target_link_libraries(inpout_standin_${variant} PRIVATE zorik_simunit)
    set_target_properties(inpout_standin_${variant} PROPERTIES PREFIX "" OUTPUT_NAME inpoutx64
        RUNTIME_OUTPUT_DIRECTORY ${ZORIK_INPOUT_STANDINS}/${variant}
        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/inpout-standin/${variant})
    add_dependencies(wine_port_emulator_test inpout_standin_${variant})
endforeach()
target_compile_definitions(wine_port_emulator_test PRIVATE
    ZORIK_INPOUT_STANDINS="Z:${ZORIK_INPOUT_STANDINS}")

zorik_wine_test(inpoutx64 wine_port_emulator_test "InpOutX64.*" win10 WIN64)

# The Visual Studio x64 caller: clang for the Microsoft x64 ABI, no C
# runtime, bound through the x64 ZorikApi.lib by lld-link (a test of its
# own, so that a refused import library shows the linker's words), and
# the one that binds at run time.
find_program(ZORIK_CLANG NAMES clang REQUIRED)
find_program(ZORIK_LLD_LINK NAMES lld-link REQUIRED)
set(client ${CMAKE_CURRENT_SOURCE_DIR}/msvc_client)
set(client_build ${CMAKE_CURRENT_BINARY_DIR}/msvc_client)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${client}/kernel32.def)
file(READ ${client}/kernel32.def exports)
string(REGEX REPLACE "@[0-9]+" "" exports "${exports}")
file(WRITE ${client_build}/kernel32-x64.def "${exports}")
set(client_compile ${ZORIK_CLANG} --target=x86_64-pc-windows-msvc -O2 -ffreestanding -fno-builtin
    -std=c89 -pedantic -Wall -Wextra -Werror -I${PROJECT_SOURCE_DIR}/portlib/include -c ${client}/msvc_client.c)
set(client_link ${ZORIK_LLD_LINK} /nologo /machine:x64 /nodefaultlib /entry:zorik_client_main /subsystem:console)
add_custom_command(
    OUTPUT ${client_build}/kernel32.lib ${client_build}/linked.obj ${PROJECT_BINARY_DIR}/bin/zorik_msvc_loading.exe
    COMMAND ${ZORIK_LLVM_DLLTOOL} -m i386:x86-64 -d ${client_build}/kernel32-x64.def -l kernel32.lib
    COMMAND ${client_compile} -DZORIK_LINKED -o linked.obj
    COMMAND ${client_compile} -o loading.obj
    COMMAND ${client_link} /out:${PROJECT_BINARY_DIR}/bin/zorik_msvc_loading.exe loading.obj kernel32.lib
    DEPENDS ${client}/msvc_client.c ${client_build}/kernel32-x64.def ${PROJECT_SOURCE_DIR}/portlib/include/ZorikApi.h
    WORKING_DIRECTORY ${client_build}
    VERBATIM)
add_custom_target(zorik_msvc_clients ALL DEPENDS ${client_build}/linked.obj ${PROJECT_BINARY_DIR}/bin/zorik_msvc_loading.exe)
add_test(NAME ${ZORIK_TEST_TAG}.msvc_client_link
         COMMAND ${client_link} /out:${PROJECT_BINARY_DIR}/bin/zorik_msvc_linked.exe
                 ${client_build}/linked.obj $<TARGET_LINKER_FILE:ZorikApi> ${client_build}/kernel32.lib)
set_tests_properties(${ZORIK_TEST_TAG}.msvc_client_link PROPERTIES FIXTURES_SETUP msvc_clients_x64)
zorik_wine_test(msvc_clients wine_port_emulator_test "InpOutX64MsvcClients.*" win10 WIN64)
set_tests_properties(${ZORIK_TEST_TAG}.msvc_clients PROPERTIES FIXTURES_REQUIRED msvc_clients_x64)
