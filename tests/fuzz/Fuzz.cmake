# libFuzzer targets over the readers of outside data: host build with clang,
# AddressSanitizer and UBSan, configured with -DTZ_FUZZ=ON.
#
# tz_add_fuzzer(<name> SOURCES <files> LIBS <libraries> INSTRUMENT <libraries>
#               MAX_LEN <bytes> SEED_MAKER <program>)
#   INSTRUMENT  the libraries that hold the reader; they get coverage.
#   MAX_LEN     the largest input, big enough to reach every size check.
#   SEED_MAKER  a program run at build time as `<program> <name> <folder>`,
#               which writes the seed inputs of <name> into <folder>.
#
# Each target runs for ${TZ_FUZZ_CI_SECONDS} seconds as a test. Under
# build/host/fuzz/<name>/ it keeps "target" (its program, maximum length and
# seed folder, one a line, for scripts/fuzz.sh), seeds/, corpus/ (what
# scripts/fuzz.sh learnt) and findings/.
set(TZ_FUZZ_CI_SECONDS 10 CACHE STRING "Seconds each fuzz target runs as a test")

if(TZ_HOST AND TZ_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(TZ_FUZZ_BUILD ON)
else()
  set(TZ_FUZZ_BUILD OFF)
endif()

function(tz_add_fuzzer name)
  if(NOT TZ_FUZZ_BUILD)
    return()
  endif()
  cmake_parse_arguments(F "" "MAX_LEN;SEED_MAKER" "SOURCES;LIBS;INSTRUMENT" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  # Optimised: unoptimised code with coverage runs several times slower.
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer -O1 -gline-tables-only)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  foreach(lib ${F_LIBS} ${F_INSTRUMENT})
    target_compile_options(${lib} PRIVATE -O1 -gline-tables-only)
  endforeach()
  foreach(lib ${F_INSTRUMENT})
    target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link)
  endforeach()

  set(dir ${CMAKE_BINARY_DIR}/fuzz/${name})
  file(MAKE_DIRECTORY ${dir}/corpus ${dir}/findings)
  add_custom_command(OUTPUT ${dir}/seeds.stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${dir}/seeds
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/seeds
    COMMAND ${F_SEED_MAKER} ${name} ${dir}/seeds
    COMMAND ${CMAKE_COMMAND} -E touch ${dir}/seeds.stamp
    DEPENDS ${F_SEED_MAKER}
    COMMENT "Seed inputs of ${name}")
  add_custom_target(${name}_seeds ALL DEPENDS ${dir}/seeds.stamp)
  add_dependencies(${name} ${name}_seeds)
  file(GENERATE OUTPUT ${dir}/target CONTENT "$<TARGET_FILE:${name}>\n${F_MAX_LEN}\n${dir}/seeds\n")

  # The test starts from the seeds alone, so it takes as long on a machine
  # whose corpus has grown; what it learns goes to ci-corpus/, emptied first.
  add_test(NAME ${name} COMMAND sh -c "rm -rf \"$1\" && mkdir -p \"$1\" && shift && exec \"$@\"" sh
           ${dir}/ci-corpus $<TARGET_FILE:${name}> -max_total_time=${TZ_FUZZ_CI_SECONDS} -max_len=${F_MAX_LEN}
           -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 -artifact_prefix=${dir}/findings/
           ${dir}/ci-corpus ${dir}/seeds)
  set_tests_properties(${name} PROPERTIES TIMEOUT 120)
endfunction()
