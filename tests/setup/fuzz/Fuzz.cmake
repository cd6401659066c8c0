# libFuzzer targets over the script loader and the file data reader (host
# build with clang and TZ_FUZZ). Each runs briefly as a test; run longer by
# hand, e.g.  FuzzScript -runs=1000000 <work dir> tests/setup/corpus/script
if(TZ_HOST AND TZ_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(MakeSetupCorpus fuzz/MakeCorpus.cpp)
  target_link_libraries(MakeSetupCorpus PRIVATE tz_setup_fixtures)

  set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/corpus)
  foreach(pair "FuzzScript;script" "FuzzFileData;data")
    list(GET pair 0 name)
    list(GET pair 1 corpus)
    add_executable(${name} fuzz/${name}.cpp)
    target_link_libraries(${name} PRIVATE tz_setup_fixtures)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(work ${CMAKE_CURRENT_BINARY_DIR}/fuzz-${corpus})
    file(MAKE_DIRECTORY ${work})
    add_test(NAME ${name} COMMAND ${name} -max_total_time=15 -rss_limit_mb=2048 -timeout=20 ${work} ${seeds}/${corpus})
    set_tests_properties(${name} PROPERTIES TIMEOUT 120)
  endforeach()
endif()
