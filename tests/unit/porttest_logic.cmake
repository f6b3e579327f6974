# The test program's logic: loopback worker, run control, test log, texts
# and report file.
zorik_add_test(porttest_logic_test
    porttest/loopback_worker_test.cpp
    porttest/run_control_test.cpp
    porttest/loopback_log_test.cpp
    porttest/program_texts_test.cpp
    porttest/report_file_test.cpp
    porttest/command_line_test.cpp
    porttest/summary_test.cpp
    porttest/test_journal_test.cpp
    porttest/station_test.cpp
    porttest/line_test.cpp
    LIBS zorik_porttest_logic zorik_station zorik_line)
# Its Korean expectations are the program's bytes.
set_source_files_properties(porttest/station_test.cpp porttest/line_test.cpp PROPERTIES COMPILE_OPTIONS "-finput-charset=UTF-8;-fexec-charset=CP949")
target_include_directories(porttest_logic_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/porttest)

# The diagnosis against the simulated unit's model, driven with the test's
# own cycle on a fake clock.
zorik_add_test(diagnosis_test
    porttest/diagnosis_test.cpp
    LIBS zorik_porttest_logic zorik_simunit zorik_portcore)
target_include_directories(diagnosis_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sim)

# Figures only, not a test: run it by hand.
add_executable(porttest_logic_bench porttest/porttest_logic_bench.cpp)
target_link_libraries(porttest_logic_bench PRIVATE zorik_porttest_logic)

# The diagnosis oracle's figures: run it by hand (scripts/bench.sh runs it
# when a host build exists).
add_executable(diagnosis_oracle_bench porttest/diagnosis_oracle_bench.cpp)
target_link_libraries(diagnosis_oracle_bench PRIVATE zorik_porttest_logic zorik_simunit zorik_portcore)
target_include_directories(diagnosis_oracle_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sim ${CMAKE_CURRENT_LIST_DIR}/porttest)

# /rate on the simulated unit's model, and the station's figures (run by
# hand, or by scripts/bench.sh).
zorik_add_test(station_rate_test
    porttest/station_rate_test.cpp
    LIBS zorik_station zorik_simunit zorik_portcore)
target_include_directories(station_rate_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sim ${CMAKE_CURRENT_LIST_DIR}/porttest)
add_executable(station_bench porttest/station_bench.cpp)
if(WIN32)
    target_sources(station_bench PRIVATE ${PROJECT_SOURCE_DIR}/porttest/app/windows_history_files.cpp
                                         ${PROJECT_SOURCE_DIR}/porttest/framework/message_wait.cpp
                                         ${PROJECT_SOURCE_DIR}/porttest/framework/windows_error_text.cpp)
    target_include_directories(station_bench PRIVATE ${PROJECT_SOURCE_DIR}/porttest/app ${PROJECT_SOURCE_DIR}/porttest)
endif()
target_link_libraries(station_bench PRIVATE zorik_station zorik_simunit zorik_portcore)
target_include_directories(station_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sim ${CMAKE_CURRENT_LIST_DIR}/porttest)
set_target_properties(station_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# The oracle's seeds keep a processor busy throughout: two of a parallel
# run's slots (CTest starts it once two are free, in practice near the end).
set_tests_properties(${ZORIK_TEST_TAG}.diagnosis_test PROPERTIES PROCESSORS 2)
