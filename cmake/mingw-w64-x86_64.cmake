# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the POSIX-thread
# flavour, so std::thread and std::mutex are there for GoogleTest).
# Programs are linked statically: they run under Wine, or are copied to a
# Windows machine, without the compiler's DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DUSTVANE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DUSTVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DUSTVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${DUSTVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DUSTVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs the test programs through Wine.
find_program(DUSTVANE_WINE NAMES wine wine64)
if(DUSTVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DUSTVANE_WINE})
endif()
