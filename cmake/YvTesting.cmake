# Test wiring: every test runs with a home of its own (settings, shared memory, temp).
find_package(GTest REQUIRED)
include(GoogleTest)

# yv_test(NAME SOURCES ... LIBS ... [PROPERTIES ...]): a GoogleTest program, each case
# registered with CTest (PROPERTIES: further CTest properties of every case, e.g. a RESOURCE_LOCK).
function(yv_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE yv_options yv_testsupport GTest::gtest_main ${T_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests"
                                           BUILD_RPATH "${CMAKE_BINARY_DIR}/bin")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${T_PROPERTIES})
endfunction()
