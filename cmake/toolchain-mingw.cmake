# Cross build for Windows with Debian's mingw-w64 (posix threads).
# TZ_ARCH is i686 for the shipped 32-bit programs; x86_64 builds the same
# sources for machines whose kernel cannot run 32-bit code (tests only).
if(NOT DEFINED TZ_ARCH)
  set(TZ_ARCH i686)
endif()
set(TZ_ARCH ${TZ_ARCH} CACHE STRING "i686 or x86_64")
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TZ_ARCH})

set(CMAKE_C_COMPILER   ${TZ_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${TZ_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${TZ_ARCH}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TZ_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every test program runs under Wine, in the build's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run.sh")
