# GoogleTest and GoogleMock for the Windows cross build, compiled from the
# sources of Debian's googletest package.
set(GTest_FOUND TRUE)
if(NOT TARGET GTest::gtest)
  set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  # The project's warning flags are not meant for GoogleTest's own sources.
  get_directory_property(_smarttag_saved_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "-w")
  add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${_smarttag_saved_options}")
endif()
