# Cross-compiles for 64-bit Windows (x86-64) with Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DUSTVANE_MINGW_PREFIX x86_64-w64-mingw32)
set(DUSTVANE_WINE_NAMES wine64 wine)
set(DUSTVANE_WINE_IN_DEBIAN /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
