# Cross build for 32-bit Windows (32-bit Office) with Debian's MinGW-w64.
#
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
#
# Test programs run under Wine when it is installed (wine32). The grammar
# generator must run on the build machine: pass a native glrgen with
# -DGLRGEN_EXECUTABLE, or let the build make one (see glr/CMakeLists.txt).
set(MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# Debian's /usr/bin/wine starts the 32-bit loader.
set(SMARTTAG_WINE_NAMES wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
