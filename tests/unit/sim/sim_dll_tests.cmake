# The simulated ZorikApi.dll through its exports, under Wine. One program;
# each CTest entry gives it the ZORIK_SIM setting and Windows version its
# cases need. A case that finds itself in the wrong setting skips, and
# CTest then reports the entry as skipped rather than passed.
add_executable(sim_dll_test ${CMAKE_CURRENT_LIST_DIR}/sim_dll_test.cpp)
target_link_libraries(sim_dll_test PRIVATE ZorikApi zorik_wine_support GTest::gtest_main)
set_target_properties(sim_dll_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# zorik_sim_dll_case(NAME FILTER [PROGRAM path] environment...): PROGRAM runs
# a copy of sim_dll_test kept elsewhere.
function(zorik_sim_dll_case name filter)
    cmake_parse_arguments(ARG "" "PROGRAM" "" ${ARGN})
    set(test ${ZORIK_TEST_TAG}.sim_dll_test.${name})
    if(ARG_PROGRAM)
        add_test(NAME ${test} COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} ${ARG_PROGRAM} --gtest_filter=${filter})
    else()
        add_test(NAME ${test} COMMAND sim_dll_test --gtest_filter=${filter})
    endif()
    set_tests_properties(${test} PROPERTIES
        # No real driver: any giveio the DLL finds is the simulated one.
        ENVIRONMENT_MODIFICATION "ZORIK_WINE_GIVEIO=unset:;ZORIK_WINE_TIMEOUT=set:120;${ARG_UNPARSED_ARGUMENTS}"
        SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
        TIMEOUT 150)
    zorik_wine_skippable(${test})
endfunction()

zorik_sim_dll_case(healthy "SimDllHealthy.*:SimDllBadSettings.*" "ZORIK_SIM=unset:")
zorik_sim_dll_case(stuck "SimDllStuck.*" "ZORIK_SIM=set:stuck-on=1")
# The giveio rows are the 32-bit library's: the x64 one has no giveio, and
# the simulated unit stands in for its inpoutx64.dll.
if(ZORIK_X64)
    zorik_sim_dll_case(x64_open "SimDllOpen.X64*" "ZORIK_SIM=unset:")
    zorik_sim_dll_case(x64_driver_not_open "SimDllOpen.X64*" "ZORIK_SIM=set:no-giveio")
else()
    zorik_sim_dll_case(xp_giveio "SimDllOpen.SimulatedDriver*"
        "ZORIK_SIM=unset:;ZORIK_WINE_VERSION=set:winxp")
    zorik_sim_dll_case(xp_no_giveio "SimDllOpen.MissingDriver*"
        "ZORIK_SIM=set:no-giveio;ZORIK_WINE_VERSION=set:winxp")
endif()

# zorik_sim_dll_card_case(NAME INI FILTER): the program and the library
# copied into a folder of their own with ZorikApi.ini holding INI beside
# them, as on a PC whose unit sits on a parallel port card.
function(zorik_sim_dll_card_case name ini filter)
    set(folder ${PROJECT_BINARY_DIR}/sim-dll-${name})
    file(WRITE ${folder}/ZorikApi.ini "${ini}")
    add_custom_command(OUTPUT ${folder}/sim_dll_test.exe ${folder}/ZorikApi.dll
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sim_dll_test> $<TARGET_FILE:ZorikApi> ${folder}
        DEPENDS sim_dll_test ZorikApi
        VERBATIM)
    add_custom_target(sim_dll_test_${name} ALL DEPENDS ${folder}/sim_dll_test.exe ${folder}/ZorikApi.dll)
    zorik_sim_dll_case(${name} ${filter} PROGRAM ${folder}/sim_dll_test.exe "ZORIK_SIM=unset:")
endfunction()

# A unit left at 0x378 would read every input as off at the card's ports.
zorik_sim_dll_card_case(card_base "[Port]\r\nBase=0xD010\r\n" "SimDllHealthy.*")
zorik_sim_dll_card_case(card_bad_base "[Port]\r\nBase=0x379\r\n" "SimDllCardBadBase.*")
