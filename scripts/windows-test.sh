#!/usr/bin/env bash
# Cross-builds the library, its DLL and every unit test for 32-bit Windows
# with MinGW-w64 and runs the tests under Wine. Works on a fresh Debian
# machine: installs what it needs (root, or sudo) on first use.
#
#   scripts/windows-test.sh              build in build-win32 and test
#   BUILD_DIR=/tmp/w scripts/windows-test.sh
#   BUILD_TYPE=RelWithDebInfo scripts/windows-test.sh   with debug information
#
# The unpacked Boost sources (Regex and Program_options are compiled from
# Debian's source package) are kept between runs in SMARTTAG_WINDOWS_CACHE
# (default ~/.cache/smarttag-windows), one folder per package version.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
build="${BUILD_DIR:-$root/build-win32}"
cache="${SMARTTAG_WINDOWS_CACHE:-$HOME/.cache/smarttag-windows}"
jobs="$(nproc)"
start=$(date +%s)

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

step() { echo "== windows-test: $* ($(( $(date +%s) - start ))s)"; }

# --- packages -----------------------------------------------------------------
need_install=0
command -v i686-w64-mingw32-g++-posix >/dev/null || need_install=1
command -v wine >/dev/null || need_install=1
dpkg -s wine32:i386 >/dev/null 2>&1 || need_install=1
dpkg -s googletest >/dev/null 2>&1 || need_install=1
command -v dpkg-source >/dev/null || need_install=1
if [ "$need_install" = 1 ]; then
  step "installing the cross compiler and Wine"
  as_root dpkg --add-architecture i386
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    g++-mingw-w64-i686-posix wine wine32:i386 googletest libboost1.74-dev nlohmann-json3-dev \
    dpkg-dev xz-utils cmake ninja-build
fi

# --- Boost sources --------------------------------------------------------------
boost_version="$(dpkg-query -W -f '${source:Version}' libboost1.74-dev)"
boost_src="$cache/boost-$boost_version"
if [ ! -f "$boost_src/.complete" ]; then
  step "fetching the boost1.74 $boost_version sources"
  if ! apt-get source --print-uris boost1.74 >/dev/null 2>&1; then
    # Source entries mirroring the binary ones (deb822 or one-line format).
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -e "$f" ] || continue
      case "$f" in */smarttag-deb-src.sources) continue ;; esac
      sed -n '/^Types:/s/\bdeb\b/deb-src/;p' "$f"
      echo
    done | as_root tee /etc/apt/sources.list.d/smarttag-deb-src.sources >/dev/null
    if [ -f /etc/apt/sources.list ]; then
      sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list | as_root tee /etc/apt/sources.list.d/smarttag-deb-src.list >/dev/null
    fi
    as_root apt-get update -q
  fi
  download="$(mktemp -d)"
  (cd "$download" && apt-get source -q --download-only "boost1.74=$boost_version" >/dev/null 2>&1 ||
                     apt-get source -q --download-only boost1.74 >/dev/null)
  rm -rf "$boost_src" && mkdir -p "$boost_src"
  tar -xJf "$download"/boost1.74_*.orig.tar.xz -C "$boost_src" --strip-components=1 \
    --wildcards '*/libs/regex/src/*' '*/libs/program_options/src/*'
  rm -rf "$download"
  touch "$boost_src/.complete"
fi

# --- Wine -------------------------------------------------------------------------
# A prefix of the build's own and one server for the whole run: test discovery
# starts every test program, and a server per program is too slow.
export WINEARCH=win32 WINEDEBUG=-all WINEPREFIX="$build/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
# Wine takes the Windows locale, and so the ANSI code page, from the Unix one;
# the tests expect Windows-1252, which is what an English or C locale gives.
export LC_ALL=C.UTF-8
mkdir -p "$WINEPREFIX"
cleanup() { wineserver -k >/dev/null 2>&1 || true; }
trap cleanup EXIT
step "starting Wine"
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot -i </dev/null >"$build/wineboot.log" 2>&1

# --- build and test -------------------------------------------------------------------
step "configuring"
# Release at -O2: without debug information the build takes about a third
# less time (BUILD_TYPE=RelWithDebInfo for symbolic backtraces of a crash).
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DSMARTTAG_WERROR=ON -DSMARTTAG_BUILD_BENCH=OFF \
  -DBOOST_SOURCE_DIR="$boost_src" >"$build/configure.log" || { cat "$build/configure.log"; exit 1; }
step "building"
cmake --build "$build" --parallel "$jobs"
step "testing under Wine"
# One CTest test per test program here (see tests/CMakeLists.txt); the totals
# below are GoogleTest's own, over all programs, with the reasons for skips.
status=0
(cd "$build" && ctest --output-on-failure --parallel "$jobs") || status=$?
log="$build/Testing/Temporary/LastTest.log"
if [ -f "$log" ]; then
  awk '/^\[==========\] [0-9]+ tests? from .* ran/ { ran += $2 }
       /^\[  PASSED  \] [0-9]+ tests?\./ { passed += $4 }
       /^\[  SKIPPED \] [0-9]+ tests?[,.]/ { skipped += $4 }
       /^\[  FAILED  \] [0-9]+ tests?,/ { failed += $4 }
       END { printf "== test cases under Wine: %d run, %d passed, %d skipped, %d failed\n", ran, passed, skipped, failed }' "$log"
  awk '/: Skipped$/ { getline; print }' "$log" | sort | uniq -c | sed 's/^ */== skipped: /'
fi

dll="$(find "$build/bin" -maxdepth 1 -name '*smarttag*.dll' | head -n 1)"
echo "== $(basename "$dll") imports: $(i686-w64-mingw32-objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
step "done"
exit "$status"
