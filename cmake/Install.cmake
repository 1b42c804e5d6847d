# Install rules and the exported CMake package:
#   lib/libsmarttag.so*, lib/libsmarttag_static.a   the libraries
#   include/smarttag/                               the C++ and C interfaces, version.h
#   include/smarttag-addin/                         the add-in's headers, for its factories
#   bin/smarttag-host, bin/citenorm                 the tools, when built
#   lib/cmake/smarttag/                             find_package(smarttag): smarttag::smarttag, smarttag::smarttag_static
#   lib/pkgconfig/smarttag.pc                       pkg-config smarttag
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS smarttag smarttag_static EXPORT smarttagTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/smarttag DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/smarttag/version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/smarttag)

# The headers of the exported factories and everything they include.
set(_addin_headers
  actions/action.h actions/terminal_command_action.h actions/transparency_command_action.h actions/ui_invoke_actions.h
  adaptors/action_adaptor.h adaptors/action_mirror.h adaptors/host/host_objects.h adaptors/host/vutil.h
  adaptors/recognizer_adaptor.h adaptors/recognizer_mirror.h adaptors/tag_types.h
  normalizer/catalogue_update.h normalizer/normalize_citation.h normalizer/reporter_catalogue.h normalizer/sorted_table.h
  platform/bstr.h platform/comutil.h platform/export.h platform/office_smarttag.h platform/wintypes.h
  recognizers/citation_recognizer.h recognizers/recognizer.h recognizers/security_recognizer.h
  recognizers/transparency_recognizer.h)
foreach(header ${_addin_headers})
  get_filename_component(_dir ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/smarttag-addin/${_dir})
endforeach()

foreach(tool smarttag-host citenorm)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/smarttag)
install(EXPORT smarttagTargets NAMESPACE smarttag:: DESTINATION ${_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/smarttagConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/smarttagConfig.cmake INSTALL_DESTINATION ${_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/smarttagConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/smarttagConfig.cmake ${PROJECT_BINARY_DIR}/smarttagConfigVersion.cmake
        DESTINATION ${_cmake_dir})

# The .pc file finds the prefix from where it is, so the installed tree may move.
file(RELATIVE_PATH SMARTTAG_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/smarttag.pc.in ${PROJECT_BINARY_DIR}/smarttag.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/smarttag.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
