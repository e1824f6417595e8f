# Run by ctest before the tests: registers one test per GoogleTest suite of a test program,
# which runs the suite's cases in one process (`--gtest_filter=Suite.*`). Starting a
# sanitized program costs about a tenth of a second, so one process per case would spend
# most of the run starting processes. The suites are listed again whenever the program is
# newer than its list.
#
# Set by the include file that tests/CMakeLists.txt generates for each program:
#   GAME_TEST_TARGET, GAME_TEST_PROGRAM, GAME_TEST_LIST, GAME_TEST_WORKING_DIRECTORY,
#   GAME_TEST_TIMEOUT, GAME_TEST_DISCOVERY_TIMEOUT

if(NOT EXISTS "${GAME_TEST_PROGRAM}")
  add_test("${GAME_TEST_TARGET}_NOT_BUILT" "${GAME_TEST_TARGET}_NOT_BUILT")
  return()
endif()

if(NOT EXISTS "${GAME_TEST_LIST}" OR "${GAME_TEST_PROGRAM}" IS_NEWER_THAN "${GAME_TEST_LIST}")
  execute_process(
    COMMAND "${GAME_TEST_PROGRAM}" --gtest_list_tests
    WORKING_DIRECTORY "${GAME_TEST_WORKING_DIRECTORY}"
    TIMEOUT ${GAME_TEST_DISCOVERY_TIMEOUT}
    OUTPUT_VARIABLE listing
    ERROR_VARIABLE listing_errors
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Listing the tests of ${GAME_TEST_PROGRAM} failed (${result}):\n${listing}\n${listing_errors}")
  endif()

  # A suite is a line that does not start with a space and ends its name with a dot;
  # typed and parameterized suites add a comment after it.
  string(REPLACE ";" "\\;" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(script "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^ #][^ ]*)\\.( |$)")
      set(suite "${CMAKE_MATCH_1}")
      string(APPEND script
        "game_test_suite([==[${suite}]==])\n")
    endif()
  endforeach()
  file(WRITE "${GAME_TEST_LIST}" "${script}")
endif()

# Suite names are unique across the programs; a name seen in an earlier program is given
# its program's name in front rather than being lost.
macro(game_test_suite suite)
  set(name "${suite}")
  list(FIND GAME_TEST_SUITE_NAMES "${name}" seen)
  if(NOT seen EQUAL -1)
    set(name "${GAME_TEST_TARGET}.${suite}")
  endif()
  list(APPEND GAME_TEST_SUITE_NAMES "${name}")
  add_test("${name}" "${GAME_TEST_PROGRAM}" "--gtest_filter=${suite}.*")
  set_tests_properties("${name}" PROPERTIES
    WORKING_DIRECTORY "${GAME_TEST_WORKING_DIRECTORY}"
    TIMEOUT ${GAME_TEST_TIMEOUT})
endmacro()

include("${GAME_TEST_LIST}")
