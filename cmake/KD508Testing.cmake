# One test executable per subject, registered with CTest under its own name.
find_package(GTest REQUIRED)

function(kd508_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "KD508_TEST_OUTPUT=${PROJECT_BINARY_DIR}/test-output"
    TIMEOUT 300)
endfunction()
