# One helper for every test executable: GoogleTest + QtTest, offscreen platform,
# each test case registered with ctest on its own.
find_package(GTest REQUIRED)
include(GoogleTest)

function(tarvi_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT T_SOURCES)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} test_support GTest::gtest Qt6::Test)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
               TIMEOUT 300)
endfunction()
