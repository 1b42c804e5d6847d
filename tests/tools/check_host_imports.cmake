# Fails when the host program calls into the library other than through an
# exported factory. The host's stand-ins for Office, Windows and the closed
# libraries (smarttag::platform, smarttag::host, the C-style platform
# functions) are its own side and may be used freely; inline members of the
# interfaces are compiled into the host and never show up as imports.
# Usage: cmake -DOBJECTS=<objects of smarttag-host> -DNM=<nm> -P check_host_imports.cmake
set(checked 0)
foreach(object ${OBJECTS})
  execute_process(COMMAND ${NM} -C -u ${object} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot list the symbols of ${object}")
  endif()
  string(REPLACE "\n" ";" lines "${symbols}")
  foreach(line ${lines})
    string(REGEX REPLACE "^ *U " "" name "${line}")
    if(name MATCHES "Veltra::Penwork::Recognizer::|^glr::")
      if(name MATCHES "^Veltra::Penwork::Recognizer::[A-Za-z0-9_]+::(Ctor|Factory)\\(")
        math(EXPR checked "${checked} + 1")
      else()
        message(SEND_ERROR "the host reaches into the library: ${name}")
      endif()
    endif()
  endforeach()
endforeach()
if(checked LESS 9)
  message(FATAL_ERROR "expected the host to call the nine factories, found ${checked}")
endif()
message(STATUS "the host calls ${checked} factories and nothing else of the library")
