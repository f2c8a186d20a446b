# Cross-compiling the 32-bit Windows program with mingw-w64 from Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(KORVADA_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVADA_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${KORVADA_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${KORVADA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVADA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# SSE arithmetic keeps every float operation in single precision, as on
# x86-64 Linux; the x87 unit's wider registers would let a round take a
# different course on Windows than in the Linux tests.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# The runtime goes inside korvada.exe, so the program needs only the DLLs
# every Windows has. No link time in the programs' headers: the same sources
# give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
