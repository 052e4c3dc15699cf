# Cross build of the same sources as 64-bit Windows binaries, for Wine on kernels that run
# no 32-bit programs.
set(ZORVEL_MINGW_ARCH x86_64)
set(ZORVEL_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
