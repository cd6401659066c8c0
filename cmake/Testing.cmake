# tz_add_gtest(name SOURCES ... LIBS ...)
# One GoogleTest program; under a Windows build ctest runs it under Wine.
if(NOT TZ_HOST)
  add_test(NAME wine_prefix_setup COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${TZ_WINEPREFIX} TZ_WINE_ARCH=${CMAKE_SYSTEM_PROCESSOR}
           ${CMAKE_SOURCE_DIR}/cmake/wine-prefix.sh setup)
  set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  add_test(NAME wine_prefix_stop COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${TZ_WINEPREFIX} TZ_WINE_ARCH=${CMAKE_SYSTEM_PROCESSOR}
           ${CMAKE_SOURCE_DIR}/cmake/wine-prefix.sh stop)
  set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
endif()

function(tz_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tz_testsupport GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TZ_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TZ_BINARY_DIR="${CMAKE_BINARY_DIR}" TZ_DIST_DIR="${TZ_DIST_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT TZ_HOST)
    # One desktop: programs in one prefix share focus and activation, so
    # Wine tests run one at a time (the host-side checks still run beside).
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_desktop TIMEOUT 600)
  else()
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  endif()
endfunction()

# tz_ship(target): the program or library goes into build/dist.
function(tz_ship target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${TZ_DIST_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${TZ_DIST_DIR})
endfunction()
