#!/usr/bin/env bash
# Installs the existing build/ into a temporary prefix and builds, runs and
# checks three small programs that use the library from outside the tree:
# through find_package (shared and static library), through pkg-config (shared
# library) and through add_subdirectory (static library, built from source
# with tools, tests, benchmarks and fuzz targets off).
#   scripts/consumer-test.sh        after scripts/build.sh release
# Environment: SMARTTAG_BUILD_DIR (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="${SMARTTAG_BUILD_DIR:-build}"
consumers="$root/tests/consumers"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
jobs="$(nproc)"
scripts/bootstrap.sh  # pkg-config

cmake --install "$build" --prefix "$prefix" >/dev/null

# No Windows names leak out of the public headers.
for header in "$prefix"/include/smarttag/*.h; do
  printf '#include <smarttag/%s>\n' "$(basename "$header")"
done > "$work/headers.cpp"
cat >> "$work/headers.cpp" <<'CPP'
#if defined(TRUE) || defined(FALSE) || defined(S_OK) || defined(E_FAIL) || defined(FAILED) || defined(SUCCEEDED) || defined(OLESTR)
#error a public header defines a Windows macro
#endif
struct BOOL; struct DWORD; struct HRESULT; struct BSTR;  // clash with a typedef if one leaked
int main() { return 0; }
CPP
c++ -std=c++17 -Wall -Wextra -Werror -I"$prefix/include" "$work/headers.cpp" -o "$work/headers"
echo "public headers: no Windows names"

check() {  # check NAME PROGRAM
  "$2" > "$work/$1.out"
  if ! diff -u "$consumers/expected.txt" "$work/$1.out"; then
    echo "consumer $1: unexpected output" >&2
    exit 1
  fi
  echo "consumer $1: ok"
}

cmake -S "$consumers/find_package" -B "$work/find_package" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/find_package" --parallel "$jobs" >/dev/null
if ! readelf -d "$work/find_package/consumer" | grep -q 'NEEDED.*libsmarttag\.so'; then
  echo "consumer find_package: does not link libsmarttag.so" >&2
  exit 1
fi
check find_package "$work/find_package/consumer"
check find_package_static "$work/find_package/consumer_static"

PKG_CONFIG_PATH="$(dirname "$(find "$prefix" -name smarttag.pc)")" \
  "$consumers/pkg_config/build.sh" "$work/pkg_config_consumer"
check pkg_config "$work/pkg_config_consumer"

cmake -S "$consumers/add_subdirectory" -B "$work/add_subdirectory" -G Ninja -DSMARTTAG_SOURCE_DIR="$root" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/add_subdirectory" --parallel "$jobs" >/dev/null
for unwanted in smarttag-host citenorm test_api corpus_bench replay_normalize; do
  if [ -e "$work/add_subdirectory/smarttag/bin/$unwanted" ]; then
    echo "consumer add_subdirectory: built $unwanted, which it did not ask for" >&2
    exit 1
  fi
done
check add_subdirectory "$work/add_subdirectory/consumer"
