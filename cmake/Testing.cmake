# One helper for every test executable: GoogleTest + QtTest, offscreen platform,
# each test case registered with ctest on its own.
find_package(GTest REQUIRED)
include(GoogleTest)

# The tests draw and measure text with the fonts of the packages
# scripts/install-deps.sh installs and no others (tests/fonts/fonts.conf.in).
# The stand-in configuration lacks the Times New Roman metric twin: layouts
# must hold with the wider serif font a machine without it uses instead.
set(TARVI_FONTS_INSTALLED
    "/usr/share/fonts/truetype/dejavu"          # fonts-dejavu-core, fonts-dejavu-extra
    "/usr/share/fonts/truetype/liberation2")    # fonts-liberation2
set(TARVI_FONTS_STAND_IN "/usr/share/fonts/truetype/dejavu")
set(TARVI_FONT_CACHE "${PROJECT_BINARY_DIR}/fontconfig-cache")
file(MAKE_DIRECTORY "${TARVI_FONT_CACHE}")
function(tarvi_write_font_config output)
  set(TARVI_FONT_DIRS "")
  foreach(dir IN LISTS ARGN)
    string(APPEND TARVI_FONT_DIRS "  <dir>${dir}</dir>\n")
  endforeach()
  configure_file("${PROJECT_SOURCE_DIR}/tests/fonts/fonts.conf.in" "${output}" @ONLY)
endfunction()
set(TARVI_FONT_CONFIG "${PROJECT_BINARY_DIR}/tests/fonts/fonts.conf")
set(TARVI_FONT_CONFIG_STAND_IN "${PROJECT_BINARY_DIR}/tests/fonts/fonts-stand-in.conf")
tarvi_write_font_config("${TARVI_FONT_CONFIG}" ${TARVI_FONTS_INSTALLED})
tarvi_write_font_config("${TARVI_FONT_CONFIG_STAND_IN}" ${TARVI_FONTS_STAND_IN})

function(tarvi_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT T_SOURCES)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} test_support GTest::gtest Qt6::Test)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;FONTCONFIG_FILE=${TARVI_FONT_CONFIG}"
               TIMEOUT 300)
endfunction()

# Registers the tests of an executable that match a GoogleTest filter once
# more, under the stand-in fonts, named StandInFont.<suite>.<test>.
function(tarvi_add_stand_in_font_tests name filter)
  if(NOT TARGET ${name})
    return()
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    TEST_PREFIX "StandInFont."
    TEST_FILTER "${filter}"
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;FONTCONFIG_FILE=${TARVI_FONT_CONFIG_STAND_IN}"
               TIMEOUT 300)
endfunction()
