# The simulated ZorikApi.dll through its exports, under Wine. One program;
# each CTest entry gives it the ZORIK_SIM setting and Windows version its
# cases need. A case that finds itself in the wrong setting skips, and
# CTest then reports the entry as skipped rather than passed.
add_executable(sim_dll_test ${CMAKE_CURRENT_LIST_DIR}/sim_dll_test.cpp)
target_link_libraries(sim_dll_test PRIVATE ZorikApi zorik_wine_support GTest::gtest_main)
set_target_properties(sim_dll_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

function(zorik_sim_dll_case name filter)
    set(test ${ZORIK_TEST_TAG}.sim_dll_test.${name})
    add_test(NAME ${test} COMMAND sim_dll_test --gtest_filter=${filter})
    set_tests_properties(${test} PROPERTIES
        # No real driver: any giveio the DLL finds is the simulated one.
        ENVIRONMENT_MODIFICATION "ZORIK_WINE_GIVEIO=unset:;ZORIK_WINE_TIMEOUT=set:120;${ARGN}"
        SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
        TIMEOUT 150)
endfunction()

zorik_sim_dll_case(healthy "SimDllHealthy.*:SimDllBadSettings.*" "ZORIK_SIM=unset:")
zorik_sim_dll_case(stuck "SimDllStuck.*" "ZORIK_SIM=set:stuck-on=1")
zorik_sim_dll_case(xp_giveio "SimDllOpen.SimulatedDriver*"
    "ZORIK_SIM=unset:;ZORIK_WINE_VERSION=set:winxp")
zorik_sim_dll_case(xp_no_giveio "SimDllOpen.MissingDriver*"
    "ZORIK_SIM=set:no-giveio;ZORIK_WINE_VERSION=set:winxp")
