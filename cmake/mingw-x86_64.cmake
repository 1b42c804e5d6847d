# Cross build for 64-bit Windows (64-bit Office, the default install for
# years) with Debian's MinGW-w64.
#
#   cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
#
# Test programs run under 64-bit Wine when it is installed (wine64). The
# grammar generator must run on the build machine: pass a native glrgen with
# -DGLRGEN_EXECUTABLE, or let the build make one (see glr/CMakeLists.txt).
set(MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
# The 64-bit loader itself: Debian's /usr/bin/wine prefers the 32-bit one
# whenever wine32 is installed, even where 32-bit programs cannot run.
set(SMARTTAG_WINE_NAMES wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
