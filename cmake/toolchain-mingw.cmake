# What the two MinGW-w64 cross builds share (posix-thread compilers); the
# toolchain file that includes this sets TILEORDER_MINGW_CPU (i686 or x86_64)
# and TILEORDER_WINE_ARCH, the Wine the tests and tools run under, with the
# Korean ANSI code page.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TILEORDER_MINGW_CPU})
set(CMAKE_C_COMPILER ${TILEORDER_MINGW_CPU}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${TILEORDER_MINGW_CPU}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${TILEORDER_MINGW_CPU}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TILEORDER_MINGW_CPU}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env TILEORDER_WINE_ARCH=${TILEORDER_WINE_ARCH}
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
