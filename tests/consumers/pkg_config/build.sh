#!/usr/bin/env bash
# Builds the consumer with pkg-config alone (PKG_CONFIG_PATH must name the
# installed lib/pkgconfig): the shared library, found at run time by RUNPATH.
#   build.sh OUTPUT
set -euo pipefail
libdir="$(pkg-config --variable=libdir smarttag)"
"${CXX:-c++}" -std=c++17 "$(dirname "$0")/../consumer.cpp" -o "$1" \
  $(pkg-config --cflags --libs smarttag) -Wl,-rpath,"$libdir"
