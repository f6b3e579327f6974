# The simulated unit: its settings, its model behind the channel logic and
# its word on the giveio driver. Runs on the host and, under Wine, in the
# simulated build.
zorik_add_test(sim_unit_test
    sim/sim_settings_test.cpp
    sim/sim_unit_test.cpp
    sim/sim_platform_test.cpp
    LIBS zorik_simunit zorik_portcore)
target_include_directories(sim_unit_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sim)

if(WIN32 AND ZORIK_BACKEND STREQUAL "simulated")
    include(${CMAKE_CURRENT_LIST_DIR}/sim/sim_dll_tests.cmake)
endif()
