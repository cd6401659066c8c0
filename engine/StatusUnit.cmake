# The build steps, which know no window controls, and the Studio's build
# window over them.
if(NOT TZ_HOST)
  add_library(tz_buildsteps STATIC ${CMAKE_CURRENT_LIST_DIR}/BuildSteps.cpp)
  target_link_libraries(tz_buildsteps PUBLIC tz_cabinet tz_ziparch)
  # The engine's components by class name, for window descriptions.
  add_library(tz_engine_classes STATIC ${CMAKE_CURRENT_LIST_DIR}/EngineClasses.cpp)
  target_link_libraries(tz_engine_classes PUBLIC tz_cabinet tz_ziparch tz_ui)
  add_library(tz_progressform STATIC ${CMAKE_CURRENT_LIST_DIR}/StatusUnit.cpp)
  target_link_libraries(tz_progressform PUBLIC tz_buildsteps tz_engine_classes tz_ui tz_labels tz_caption)
endif()
