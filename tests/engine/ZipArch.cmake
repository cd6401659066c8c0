# The zip component, the self-extractor block and the directory reader.
tz_add_gtest(ZipArchFormatTest SOURCES SFXFormatTest.cpp ZipArchDirTest.cpp LIBS tz_ziparch_format)

if(NOT TZ_HOST)
  # Stand-in libraries: one that records the block, two that lack an entry point.
  foreach(variant rec noexec nover)
    string(TOUPPER ${variant} upper)
    add_library(tz_fakezip_${variant} SHARED ZipFakeDll.cpp)
    set_target_properties(tz_fakezip_${variant} PROPERTIES OUTPUT_NAME ZIPDLL PREFIX "" SUFFIX ".DLL"
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fakezip/${variant}
      ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fakezip/${variant})
    target_compile_definitions(tz_fakezip_${variant} PRIVATE FAKE_${upper})
    tz_named_exports(tz_fakezip_${variant})
    target_link_libraries(tz_fakezip_${variant} PRIVATE tz_ziplib_api)
  endforeach()

  set(zip_shipped ZipDll tz_stub1 tz_stub2 tz_stub3 tz_cabstub1 tz_cabstub2 tz_zipsfx)
  tz_add_gtest(ZipArchTest SOURCES ZipArchTest.cpp LIBS tz_ziparch tz_zipformat)
  target_compile_definitions(ZipArchTest PRIVATE FAKEZIP_DIR="${CMAKE_CURRENT_BINARY_DIR}/fakezip")
  add_dependencies(ZipArchTest tz_fakezip_rec tz_fakezip_noexec tz_fakezip_nover ${zip_shipped})
  tz_add_gtest(ZipSFXTest SOURCES ZipSFXTest.cpp LIBS tz_ziparch tz_zipformat)
  add_dependencies(ZipSFXTest ${zip_shipped})
  set_tests_properties(ZipArchTest ZipSFXTest PROPERTIES FIXTURES_SETUP zipcheck)

  # The archives those tests leave, read by independent readers on the host.
  find_program(TZ_PYTHON3 python3)
  if(TZ_PYTHON3)
    add_test(NAME ZipArchReaderCheck COMMAND ${TZ_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/ziplib/check_zips.py
             ${CMAKE_BINARY_DIR}/zipcheck)
    set_tests_properties(ZipArchReaderCheck PROPERTIES FIXTURES_REQUIRED zipcheck TIMEOUT 120)
  endif()
endif()
