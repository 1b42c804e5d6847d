# Defines the executable target `glrgen` for a cross build: the grammar
# generator built for the build machine with its native compiler, so that
# grammar tables are generated there and not under an emulator.
#
# -DGLRGEN_EXECUTABLE=<path> uses a generator built elsewhere; otherwise one is
# built in <build>/host-glrgen with the build machine's default compiler.
include_guard(GLOBAL)

set(GLRGEN_EXECUTABLE "" CACHE FILEPATH "A glrgen built for the build machine (cross builds)")

add_executable(glrgen IMPORTED GLOBAL)
# A build-machine program: tests that run it (tests/glr) must not start it
# under the target's emulator.
set_target_properties(glrgen PROPERTIES CROSSCOMPILING_EMULATOR "")
if(GLRGEN_EXECUTABLE)
  set_target_properties(glrgen PROPERTIES IMPORTED_LOCATION ${GLRGEN_EXECUTABLE})
else()
  include(ExternalProject)
  find_program(SMARTTAG_HOST_CXX NAMES c++ g++ clang++ DOC "The build machine's C++ compiler")
  set(_host_glrgen_dir ${CMAKE_BINARY_DIR}/host-glrgen)
  # The cross toolchain must not leak into the native build.
  ExternalProject_Add(host_glrgen_build
    SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/host-glrgen
    BINARY_DIR ${_host_glrgen_dir}
    CMAKE_ARGS -DSMARTTAG_SOURCE_DIR=${PROJECT_SOURCE_DIR} -DCMAKE_BUILD_TYPE=Release
               -DCMAKE_CXX_COMPILER=${SMARTTAG_HOST_CXX}
    INSTALL_COMMAND ""
    BUILD_ALWAYS TRUE
    BUILD_BYPRODUCTS ${_host_glrgen_dir}/glrgen)
  set_target_properties(glrgen PROPERTIES IMPORTED_LOCATION ${_host_glrgen_dir}/glrgen)
  add_dependencies(glrgen host_glrgen_build)
endif()
