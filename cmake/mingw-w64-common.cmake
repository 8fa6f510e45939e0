# What the two Windows toolchain files share; each sets
# DUSTVANE_MINGW_PREFIX and CMAKE_SYSTEM_PROCESSOR, then includes this.
#
# Debian's mingw-w64 in its POSIX-thread flavour, so std::thread and
# std::mutex are there for GoogleTest. Programs are linked fully statically:
# libstdc++, libgcc and winpthread go inside the executable, which then
# imports Windows system DLLs only and runs wherever it is copied.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${DUSTVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DUSTVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${DUSTVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DUSTVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs the test programs through Wine; the caller picks the prefix
# (WINEPREFIX), and with it 32- or 64-bit Windows. Debian's wine command
# starts the 32-bit loader whenever wine32 is installed, so 64-bit programs
# go straight to the 64-bit one. Where this machine has no Wine, the tests
# run in the Debian root the Windows stage makes for it
# (scripts/windows/wine-root.sh): its Wine stands where Debian puts it.
find_program(DUSTVANE_WINE NAMES ${DUSTVANE_WINE_NAMES} PATHS /usr/lib/wine)
if(DUSTVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DUSTVANE_WINE})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DUSTVANE_WINE_IN_DEBIAN})
endif()
