# tovex_e2e_scenario(TEST SCRIPT PROGRAM): registers a scenario script as a
# CTest test played by the end-to-end driver (labels wine and e2e), with
# PROGRAM copied into the setup folder as setup.exe. A script whose first
# lines hold "# driver-fails-with: REGEX" proves the driver's failure report:
# the test passes when the output matches REGEX.
include_guard(GLOBAL)

function(tovex_e2e_scenario test script program)
  add_test(NAME ${test}
    COMMAND ${PROJECT_SOURCE_DIR}/tests/wine/scenarios/run-scenario
            ${CMAKE_BINARY_DIR} $<TARGET_FILE:tovexdrive> ${script}
            --setup ${program} --dist ${CMAKE_BINARY_DIR}/dist)
  # The scenarios share the one display: one at a time, so that no window
  # of another scenario lies over the one being photographed.
  set_tests_properties(${test} PROPERTIES LABELS "wine;e2e" TIMEOUT 180 RESOURCE_LOCK tovex_e2e_display)
  file(STRINGS ${script} must_fail REGEX "^# driver-fails-with: ")
  if(must_fail)
    list(GET must_fail 0 must_fail)
    string(REGEX REPLACE "^# driver-fails-with: " "" must_fail "${must_fail}")
    set_tests_properties(${test} PROPERTIES PASS_REGULAR_EXPRESSION "${must_fail}")
  endif()
endfunction()
