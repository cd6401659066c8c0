# Pictures drawn at build time by a folder's res/pictures.py into an .rc
# file, as an object library that each program showing them links.
#   tz_add_drawn_pictures(TARGET RC_NAME COMMENT)
function(tz_add_drawn_pictures target rc_name comment)
  set(pictures ${CMAKE_CURRENT_BINARY_DIR}/pictures)
  add_custom_command(OUTPUT ${pictures}/${rc_name}
                     COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/res/pictures.py ${pictures}
                     DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/res/pictures.py ${CMAKE_SOURCE_DIR}/cmake/bmp.py
                     COMMENT "${comment}")
  enable_language(RC)
  add_library(${target} OBJECT ${pictures}/${rc_name})
  target_include_directories(${target} PRIVATE ${pictures})
endfunction()
