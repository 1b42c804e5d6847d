#!/usr/bin/env bash
# Writes the distributable Windows DLL, one folder and one zip per bitness:
#
#   scripts/windows-package.sh            dist/smarttag-<version>-win32{,.zip}
#                                         dist/smarttag-<version>-win64{,.zip}
#   scripts/windows-package.sh 64         the 64-bit one only
#   DIST_DIR=/tmp/out scripts/windows-package.sh
#
# Each holds the DLL, its import library, the headers a host includes (the
# headers declaring the exported factories and every project header they
# include) and README-windows.txt. The DLL comes from build-win32 or
# build-win64 (BUILD_DIR_32, BUILD_DIR_64) as scripts/windows-test.sh leaves
# it; where that folder has no DLL yet, the DLL alone is built there first.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
dist="${DIST_DIR:-$root/dist}"
bits_list="${*:-32 64}"
version="$(sed -n 's/^project(smarttag .*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"

# The headers that declare exported factories.
public_headers() {
  grep -rl --include='*.h' 'SMARTTAG_EXPORT' actions adaptors recognizers platform | sort
}

for bits in $bits_list; do
  case "$bits" in
    32) triplet=i686-w64-mingw32 build="${BUILD_DIR_32:-${BUILD_DIR:-$root/build-win32}}" ;;
    64) triplet=x86_64-w64-mingw32 build="${BUILD_DIR_64:-$root/build-win64}" ;;
    *) echo "usage: $0 [32] [64]" >&2; exit 2 ;;
  esac
  if [ ! -f "$build/CMakeCache.txt" ]; then
    SMARTTAG_WINDOWS_BITS="$bits" SMARTTAG_WINDOWS_BUILD_ONLY=1 \
      BUILD_DIR_32="${BUILD_DIR_32:-${BUILD_DIR:-$root/build-win32}}" BUILD_DIR_64="${BUILD_DIR_64:-$root/build-win64}" \
      scripts/windows-test.sh
  fi
  cmake --build "$build" --target smarttag >/dev/null
  dll="$build/bin/libsmarttag.dll"
  implib="$build/lib/libsmarttag.dll.a"
  [ -f "$dll" ] && [ -f "$implib" ] || { echo "no DLL or import library in $build" >&2; exit 1; }

  name="smarttag-$version-win$bits"
  out="$dist/$name"
  rm -rf "$out" "$out.zip"
  mkdir -p "$out/bin" "$out/lib" "$out/include"
  cp "$dll" "$out/bin/"
  cp "$implib" "$out/lib/"
  # Every project header the public ones include, found by the compiler
  # itself as a host would compile them (Boost stays the host's own).
  tu="$(mktemp --suffix=.cpp)"
  for h in $(public_headers); do echo "#include \"$h\""; done >"$tu"
  headers="$("$triplet-g++-posix" -std=c++17 -DSMARTTAG_USING_DLL -MM -I"$root" "$tu" |
             tr ' \\' '\n\n' | sed -n "s|^$root/||p; /^[a-z_]*\/[a-z_/]*\.h$/p" | sort -u)"
  rm -f "$tu"
  for h in $headers; do
    mkdir -p "$out/include/$(dirname "$h")"
    cp "$root/$h" "$out/include/$h"
  done
  sed -e "s/@BITS@/$bits/g" -e "s/@VERSION@/$version/g" -e "s/@TRIPLET@/$triplet/g" \
    "$root/scripts/README-windows.txt" >"$out/README-windows.txt"
  (cd "$out" && find bin lib include -type f | sort >MANIFEST.txt)
  (cd "$dist" && cmake -E tar cf "$name.zip" --format=zip "$name")
  echo "== $bits-bit package: $out ($(wc -l <"$out/MANIFEST.txt") files) and $out.zip"
done
