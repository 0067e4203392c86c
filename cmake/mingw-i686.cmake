# Cross-compiles Morvenda for 32-bit Windows with the MinGW-w64 compiler
# (Debian package g++-mingw-w64-i686):
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(MORVENDA_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${MORVENDA_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${MORVENDA_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${MORVENDA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MORVENDA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The results must be the same bytes as on every other system:
# - doubles are computed in SSE2 registers, with a 53-bit significand, and not
#   in the x87 unit's 64-bit one, which rounds differently;
# - printf-style formatting and strtod come from MinGW's own C99 library, which
#   rounds decimal conversions correctly, and not from the system's C runtime.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -D__USE_MINGW_ANSI_STDIO=1")

# The runtime is linked in, so the program needs no DLL beyond Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
