# Cross-building the core and talsk-cli for 64-bit Windows with mingw-w64.
# The POSIX-threads compilers: std::thread and std::mutex need them. The
# programs link the compiler's runtime statically, so that they run (under
# wine too) without any DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALSK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALSK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALSK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TALSK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TALSK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run through wine, from ctest too.
find_program(TALSK_WINE wine)
if(TALSK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TALSK_WINE})
endif()

# GCC 12 warns of overlapping copies inside std::string assignments when it
# optimizes (its bug 105329); nothing in the program overlaps.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
