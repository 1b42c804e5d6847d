# glr_add_grammar(<target>
#     GRAMMARS <file.g>...            grammar files forming one grammar
#     ROUTINES_HEADER <header>        included by the generated source (path from the include root)
#     ROUTINES <name>                 class or namespace holding the routine set
#     NAMESPACE <ns>                  namespace of the generated tables (ns::tables())
#     [NAME <basename>])              generated file names; defaults to <ns>
#
# Runs glrgen at build time into ${CMAKE_CURRENT_BINARY_DIR}/glr_generated and
# adds the generated source to <target>, which may live in another directory.
# Code in <target> includes the tables with #include "<basename>.h".
function(glr_add_grammar target)
  cmake_parse_arguments(ARG "" "ROUTINES_HEADER;ROUTINES;NAMESPACE;NAME" "GRAMMARS" ${ARGN})
  if(NOT ARG_GRAMMARS OR NOT ARG_ROUTINES_HEADER OR NOT ARG_ROUTINES OR NOT ARG_NAMESPACE)
    message(FATAL_ERROR "glr_add_grammar: GRAMMARS, ROUTINES_HEADER, ROUTINES and NAMESPACE are required")
  endif()
  if(NOT ARG_NAME)
    set(ARG_NAME ${ARG_NAMESPACE})
  endif()
  set(outdir ${CMAKE_CURRENT_BINARY_DIR}/glr_generated)
  set(header ${outdir}/${ARG_NAME}.h)
  set(source ${outdir}/${ARG_NAME}.cpp)
  set(grammars)
  foreach(g ${ARG_GRAMMARS})
    get_filename_component(abs ${g} ABSOLUTE)
    list(APPEND grammars ${abs})
  endforeach()
  file(MAKE_DIRECTORY ${outdir})
  # The header is a byproduct that glrgen rewrites only when it changes, so a
  # grammar change recompiles the tables but not the code including them.
  add_custom_command(
    OUTPUT ${source}
    BYPRODUCTS ${header}
    COMMAND glrgen --header ${header} --source ${source}
            --routines-header ${ARG_ROUTINES_HEADER} --routines ${ARG_ROUTINES}
            --namespace ${ARG_NAMESPACE} --include-name ${ARG_NAME}.h ${grammars}
    DEPENDS glrgen ${grammars}
    COMMENT "glrgen: generating ${ARG_NAME} tables"
    VERBATIM)
  set(gen_target glr_generate_${target}_${ARG_NAME})
  add_custom_target(${gen_target} DEPENDS ${header} ${source})
  set_source_files_properties(${header} ${source} TARGET_DIRECTORY ${target} PROPERTIES GENERATED TRUE)
  target_sources(${target} PRIVATE ${source})
  target_include_directories(${target} PUBLIC ${outdir})
  add_dependencies(${target} ${gen_target})
endfunction()
