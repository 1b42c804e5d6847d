# Boost for the Windows cross build.
#
# The headers are Debian's own (/usr/include/boost), reached through a folder
# of the build's that holds only a link to them, so the cross compiler never
# sees /usr/include. The compiled libraries (Regex, Program_options) come
# from Debian's boost source package (BOOST_SOURCE_DIR) and are compiled here
# with the cross compiler.
set(Boost_VERSION 1.74.0)
set(Boost_FOUND TRUE)

set(_smarttag_win_include ${CMAKE_BINARY_DIR}/windows-deps/include)
if(NOT EXISTS ${_smarttag_win_include}/boost)
  file(MAKE_DIRECTORY ${_smarttag_win_include})
  file(CREATE_LINK /usr/include/boost ${_smarttag_win_include}/boost SYMBOLIC)
endif()

if(NOT TARGET Boost::boost)
  add_library(Boost::boost INTERFACE IMPORTED GLOBAL)
  set_target_properties(Boost::boost PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_smarttag_win_include})
  add_library(Boost::headers ALIAS Boost::boost)
endif()

# Compiled components: libs/<name>/src/*.cpp of the source package.
set(BOOST_SOURCE_DIR "" CACHE PATH "Root of the unpacked boost1.74 source package")
foreach(_comp ${Boost_FIND_COMPONENTS})
  if(_comp STREQUAL "ALL")
    continue()
  endif()
  if(NOT TARGET Boost::${_comp})
    file(GLOB _sources ${BOOST_SOURCE_DIR}/libs/${_comp}/src/*.cpp)
    # ICU support is not wanted.
    list(FILTER _sources EXCLUDE REGEX "/icu\\.cpp$")
    if(NOT _sources)
      set(Boost_${_comp}_FOUND FALSE)
      continue()
    endif()
    add_library(smarttag_boost_${_comp} STATIC ${_sources})
    target_link_libraries(smarttag_boost_${_comp} PUBLIC Boost::boost)
    # Third-party code: its warnings are not ours to fix.
    target_compile_options(smarttag_boost_${_comp} PRIVATE -w)
    add_library(Boost::${_comp} ALIAS smarttag_boost_${_comp})
  endif()
  set(Boost_${_comp}_FOUND TRUE)
endforeach()
if(NOT Boost_FIND_COMPONENTS STREQUAL "")
  set(Boost_NOT_FOUND_MESSAGE
      "set BOOST_SOURCE_DIR to the unpacked boost1.74 source package (apt-get source boost1.74)")
endif()
