# Cross build for 32-bit Windows, the program we ship.
set(TILEORDER_MINGW_CPU i686)
set(TILEORDER_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
