# Cross-compiles for 64-bit Windows with MinGW-w64 (the posix thread model,
# Debian packages g++-mingw-w64-x86-64-posix and mingw-w64-tools). The
# programs link the C and C++ runtimes statically, so a .exe needs no DLL
# beside it; the tests run under Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QVR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QVR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QVR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QVR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QVR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian's wine64 package installs its loader outside PATH unless the
# "wine" package is there too.
find_program(QVR_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QVR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QVR_WINE})
endif()
