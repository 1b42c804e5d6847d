# What the 32-bit and 64-bit MinGW-w64 toolchain files share; each sets
# MINGW_PREFIX, CMAKE_SYSTEM_PROCESSOR and SMARTTAG_WINE_NAMES and then
# includes this file. Debian's posix thread model has std::mutex and
# std::thread.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)
set(CMAKE_AR ${MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${MINGW_PREFIX}-ranlib CACHE FILEPATH "")
set(CMAKE_NM ${MINGW_PREFIX}-nm CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${MINGW_PREFIX}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything from the compiler's runtime is linked in, so the DLL and the test
# programs import nothing but system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine when it is installed.
find_program(WINE_EXECUTABLE NAMES ${SMARTTAG_WINE_NAMES} PATHS /usr/lib/wine)
if(WINE_EXECUTABLE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_EXECUTABLE})
  # Wine reports a program's crash on standard error but may still give exit
  # status 0; tests run under it fail on these lines as well.
  set(SMARTTAG_EMULATOR_FAILURE_REGEX "wine: Unhandled|Unhandled exception:")
endif()

# Boost, GoogleTest and nlohmann-json come from Debian's headers and sources
# through the package files in cmake/windows (see BoostConfig.cmake there).
set(Boost_DIR ${CMAKE_CURRENT_LIST_DIR}/windows CACHE PATH "")
set(GTest_DIR ${CMAKE_CURRENT_LIST_DIR}/windows CACHE PATH "")
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/windows CACHE PATH "")
