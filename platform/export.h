// Export control for the library's public factory functions.
//
// The library is built with hidden visibility; only functions marked
// SMARTTAG_EXPORT (the static factories in exports/) are visible from the
// shared library. On Windows the same mark becomes dllexport while building
// the DLL and dllimport for code that links against it.
#pragma once

#if defined(_WIN32)
#  if defined(SMARTTAG_BUILDING_LIBRARY)
#    define SMARTTAG_EXPORT __declspec(dllexport)
#  elif defined(SMARTTAG_USING_DLL)
#    define SMARTTAG_EXPORT __declspec(dllimport)
#  else
#    define SMARTTAG_EXPORT
#  endif
#else
#  define SMARTTAG_EXPORT __attribute__((visibility("default")))
#endif
