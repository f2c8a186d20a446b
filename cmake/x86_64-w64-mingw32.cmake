# Cross-compiling the 64-bit Windows program with mingw-w64 from Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(KORVADA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVADA_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${KORVADA_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${KORVADA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVADA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# x86-64 does its float arithmetic in SSE registers, in single precision, as
# on x86-64 Linux: a seeded round takes the same course on both (the replay
# test compares them). This compiler's thread model is win32: no std::thread,
# which the game does not use.

# The runtime goes inside the programs, so they need only the DLLs every
# Windows has. No link time in the programs' headers: the same sources give
# the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
