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

# WRAP: a command the test runs under (Wine builds only).
function(tz_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;WRAP" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tz_testsupport GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TZ_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TZ_BINARY_DIR="${CMAKE_BINARY_DIR}" TZ_DIST_DIR="${TZ_DIST_DIR}")
  if(T_WRAP AND NOT TZ_HOST)
    add_test(NAME ${name} COMMAND ${T_WRAP} ${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
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

# tz_add_package_readers(test prefix folder): after the end-to-end test
# `test` has left its packages in test-output/<folder>, independent readers
# (cabextract and Python's zipfile) read them back as <prefix>CabinetReaderCheck
# and <prefix>ZipReaderCheck.
function(tz_add_package_readers test prefix folder)
  set_tests_properties(${test} PROPERTIES FIXTURES_SETUP ${folder}_output)
  add_test(NAME ${prefix}CabinetReaderCheck
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/tools/check_cabinets.py ${CMAKE_BINARY_DIR}/test-output/${folder})
  add_test(NAME ${prefix}ZipReaderCheck
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/ziplib/check_zips.py ${CMAKE_BINARY_DIR}/test-output/${folder})
  set_tests_properties(${prefix}CabinetReaderCheck ${prefix}ZipReaderCheck PROPERTIES FIXTURES_REQUIRED ${folder}_output)
endfunction()

# tz_named_exports(target...): libraries that are loaded and looked up by
# name (GetProcAddress). Their stdcall exports go out undecorated, and
# BinaryCheck reads them back.
function(tz_named_exports)
  foreach(t ${ARGN})
    target_link_options(${t} PRIVATE -Wl,--kill-at)
    set_property(GLOBAL APPEND PROPERTY TZ_NAMED_EXPORT_LIBS ${t})
  endforeach()
endfunction()

# BinaryCheck, on the host: what ships imports system libraries only, and
# the libraries above export the names they are looked up by. Labelled
# "binaries" so a machine that cannot run this build still runs it.
function(tz_add_binary_check)
  get_property(libs GLOBAL PROPERTY TZ_NAMED_EXPORT_LIBS)
  set(files)
  foreach(t ${libs})
    list(APPEND files $<TARGET_FILE:${t}>)
  endforeach()
  find_program(TZ_OBJDUMP ${TZ_ARCH}-w64-mingw32-objdump REQUIRED)
  add_test(NAME BinaryCheck COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/tools/check_binaries.py ${TZ_OBJDUMP} ${TZ_DIST_DIR} ${files})
  set_tests_properties(BinaryCheck PROPERTIES LABELS binaries)
endfunction()
