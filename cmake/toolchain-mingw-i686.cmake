set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The -win32 compilers: the POSIX thread library of the -posix ones imports
# functions that Windows 95 and NT 4 lack, and the program needs only
# CreateThread. No SSE2 for the whole program either: Windows 95 and NT 4
# do not save the SSE registers, so there the processor refuses SSE
# instructions. The JPEG SIMD code is built for SSE2 on its own and taken
# only when the processor and the system run it (platform/cpu.h).
# The x87 unit then does the floating point: it must round every result to
# a double's 53 bits as SSE2 did, or fitted sizes and means come out one off.
# The start-up code of CRT_fp8.o leaves the system's precision (53 bits) in
# place; the default one sets 64.
set(CMAKE_EXE_LINKER_FLAGS_INIT "${CMAKE_FIND_ROOT_PATH}/lib/CRT_fp8.o")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
