# nlohmann-json (header-only) for the Windows cross build: Debian's headers
# through a folder of the build's that links to them.
set(_smarttag_win_json ${CMAKE_BINARY_DIR}/windows-deps/json)
if(NOT EXISTS ${_smarttag_win_json}/nlohmann)
  file(MAKE_DIRECTORY ${_smarttag_win_json})
  file(CREATE_LINK /usr/include/nlohmann ${_smarttag_win_json}/nlohmann SYMBOLIC)
endif()
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                        INTERFACE_INCLUDE_DIRECTORIES ${_smarttag_win_json})
endif()
set(nlohmann_json_FOUND TRUE)
