# cmake -DPROGRAM=<test program> -DFILTER=<the CTest tests' filters, joined> -P every_test_runs.cmake
# Fails when the program holds a test that none of the filters selects.
execute_process(COMMAND ${PROGRAM} --gtest_list_tests OUTPUT_VARIABLE all RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed: ${status}")
endif()
execute_process(COMMAND ${PROGRAM} --gtest_list_tests --gtest_filter=${FILTER}
                OUTPUT_VARIABLE run RESULT_VARIABLE status)
# Parameters are listed after a "#", as raw bytes that differ from run to run.
string(REGEX REPLACE "  # [^\n]*" "" all "${all}")
string(REGEX REPLACE "  # [^\n]*" "" run "${run}")
if(NOT all STREQUAL run)
  string(REGEX MATCHALL "\n  [^\n]+" every "${all}")
  string(REGEX MATCHALL "\n  [^\n]+" chosen "${run}")
  list(LENGTH every total)
  list(LENGTH chosen selected)
  message(FATAL_ERROR "${PROGRAM}: the CTest tests run ${selected} of its ${total} tests:\n${all}")
endif()
