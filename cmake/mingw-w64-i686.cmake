# Cross-compiles for 32-bit Windows (i686) with Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(DUSTVANE_MINGW_PREFIX i686-w64-mingw32)
set(DUSTVANE_WINE_NAMES wine)
set(DUSTVANE_WINE_IN_DEBIAN /usr/bin/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
