// Marks what the smarttag shared library exports.
//
// Every build hides what is not marked. On Windows the mark is dllexport while
// the DLL itself is built; a program that links the DLL's import library
// defines SMARTTAG_USING_DLL before including the headers, so that the mark
// becomes dllimport there. A program that links the static library defines
// nothing.
#pragma once

#if defined(_WIN32)
#  if defined(SMARTTAG_BUILDING_LIBRARY)
#    define SMARTTAG_API __declspec(dllexport)
#  elif defined(SMARTTAG_USING_DLL)
#    define SMARTTAG_API __declspec(dllimport)
#  else
#    define SMARTTAG_API
#  endif
#else
#  define SMARTTAG_API __attribute__((visibility("default")))
#endif
