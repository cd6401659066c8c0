# The build steps and the build window.
if(NOT TZ_HOST)
  add_library(tz_buildsteps STATIC ${CMAKE_CURRENT_LIST_DIR}/BuildSteps.cpp ${CMAKE_CURRENT_LIST_DIR}/StatusUnit.cpp)
  target_link_libraries(tz_buildsteps PUBLIC tz_cabinet tz_ziparch tz_ui tz_labels tz_caption)
endif()
