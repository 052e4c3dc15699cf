# Cross build of the 32-bit Windows binaries: the product.
set(ZORVEL_MINGW_ARCH i686)
set(ZORVEL_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
