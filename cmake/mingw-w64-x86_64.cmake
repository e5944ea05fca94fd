# SPDX-License-Identifier: MIT
# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NIMBREL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NIMBREL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBREL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${NIMBREL_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${NIMBREL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# One file that needs no DLL but Windows' own: libstdc++, libgcc and
# winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Without the symbols a release is less than half the size.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
