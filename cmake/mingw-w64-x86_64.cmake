# Cross-building the Windows programs (64-bit) on Linux with MinGW-w64:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DCOASTDOWN_TESTS=OFF -DCOASTDOWN_BENCHMARKS=OFF
# Debian: apt-get install g++-mingw-w64-x86-64. The compilers with POSIX
# threads are taken where installed (Debian installs both kinds); the
# programs use no threads, so the win32 kind builds them as well.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(COASTDOWN_MINGW_TRIPLET x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${COASTDOWN_MINGW_TRIPLET}-g++-posix ${COASTDOWN_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${COASTDOWN_MINGW_TRIPLET}-gcc-posix ${COASTDOWN_MINGW_TRIPLET}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${COASTDOWN_MINGW_TRIPLET}-windres)

# Libraries and headers from the MinGW tree only; programs run on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${COASTDOWN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
