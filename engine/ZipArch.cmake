# The zip component and self-extractor assembly. The settings block and the
# directory reader are plain C++ and are built on the host too.
add_library(tz_ziparch_format STATIC ${CMAKE_CURRENT_LIST_DIR}/SFX.cpp ${CMAKE_CURRENT_LIST_DIR}/ZipArchDir.cpp)
target_include_directories(tz_ziparch_format PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tz_ziparch_format PUBLIC tz_engine_core tz_core)

if(NOT TZ_HOST)
  add_library(tz_ziparch STATIC ${CMAKE_CURRENT_LIST_DIR}/ZipArch.cpp)
  target_link_libraries(tz_ziparch PUBLIC tz_ziparch_format tz_engine_core tz_component tz_ui tz_ziplib_api)
endif()
