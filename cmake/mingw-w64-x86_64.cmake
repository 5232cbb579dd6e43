# Cross-compiles the Windows build with mingw-w64 (x86-64, posix threads), fully static.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Debian's mingw zlib, and minizip, libpng, libjpeg-turbo and GoogleTest cross-built by
# scripts/build-deps.sh.
get_filename_component(MINGW_DEPS_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../build/deps/mingw" ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${MINGW_DEPS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
