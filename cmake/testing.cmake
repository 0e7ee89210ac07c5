# tileorder_add_test(NAME SOURCES... LIBS...) builds one GoogleTest program and
# registers it with CTest; under the cross build CTest runs it through Wine.
function(tileorder_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # A hung test (a child process, a window that never answers) fails instead
  # of stalling the run.
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
