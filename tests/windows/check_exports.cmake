# Fails unless the DLL's export table holds the nine factories, and besides
# them only the C++ and C interfaces (include/smarttag/) and NormalizeCitation.
# Reads the table with objdump, so it needs no Windows and no Wine (the
# DLL test checks the same by loading the DLL).
# Usage: cmake -DLIBRARY=<dll> -DOBJDUMP=<objdump> -DCXXFILT=<c++filt> -P check_exports.cmake
cmake_minimum_required(VERSION 3.16)
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read the headers of ${LIBRARY}")
endif()
# The name table: "[Ordinal/Name Pointer] Table" followed by "[  n] name" lines.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${LIBRARY} has no export names")
endif()
string(SUBSTRING "${dump}" ${at} -1 table)
string(REGEX MATCHALL "\n[ \t]+\\[ *[0-9]+\\] [^\r\n]+" entries "${table}")
set(names)
foreach(entry ${entries})
  string(REGEX REPLACE "^\n[ \t]+\\[ *[0-9]+\\] " "" name "${entry}")
  list(APPEND names "${name}")
endforeach()
# -n: PE export names carry no extra leading underscore, not even 32-bit ones.
execute_process(COMMAND ${CXXFILT} -n ${names} OUTPUT_VARIABLE readable RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CXXFILT} failed")
endif()
string(REPLACE "\n" ";" readable "${readable}")
set(expected
    SmartTag2RecognizerAdaptorImpl::Ctor SmartTag2ActionAdaptorImpl::Ctor RecognizerCitationImpl::Ctor
    RecognizerSecurityImpl::Ctor RecognizerTransparencyImpl::Factory ActionTerminalCommandImpl::Ctor
    ActionUIInvokeJurraCommandImpl::Ctor ActionUIInvokeCommandImpl::Ctor ActionTransparencyCommandImpl::Factory)
set(found)
foreach(name ${readable})
  if(name MATCHES "^Veltra::Penwork::Recognizer::([A-Za-z0-9_]+::(Ctor|Factory))\\(")
    list(APPEND found ${CMAKE_MATCH_1})
  elseif(name MATCHES "^smarttag_[a-z_]+$" OR name MATCHES "smarttag::(Normalize|FindCitations|FindSecurities|VersionString|Tagger|InvalidDocument)"
         OR name MATCHES "^Veltra::Penwork::Recognizer::NormalizeCitation\\(")
  elseif(NOT name STREQUAL "")
    message(SEND_ERROR "unexpected export: ${name}")
  endif()
endforeach()
foreach(factory ${expected})
  if(NOT factory IN_LIST found)
    message(SEND_ERROR "${factory} is not exported")
  endif()
endforeach()
list(LENGTH found count)
message(STATUS "${count} exported factories")
