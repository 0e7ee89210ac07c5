# Cross build for 64-bit Windows: the same program, so that the Windows
# tests can run under 64-bit Wine on machines whose kernel runs no 32-bit
# programs.
set(TILEORDER_MINGW_CPU x86_64)
set(TILEORDER_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
