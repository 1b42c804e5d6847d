#!/usr/bin/env bash
# Cross-builds the library, its DLL and every unit test for 32-bit and 64-bit
# Windows with MinGW-w64 and runs the tests under Wine. Works on a fresh
# Debian machine: installs what it needs (root, or sudo) on first use.
#
#   scripts/windows-test.sh              both, in build-win32 and build-win64
#   SMARTTAG_WINDOWS_BITS=64 scripts/windows-test.sh      one bitness only
#   BUILD_DIR_32=/tmp/w32 BUILD_DIR_64=/tmp/w64 scripts/windows-test.sh
#   BUILD_TYPE=RelWithDebInfo scripts/windows-test.sh   with debug information
#   SMARTTAG_WINDOWS_BUILD_ONLY=1 scripts/windows-test.sh   the DLL only, no Wine
#
# Before a bitness's tests run, a tiny program of that bitness runs under
# Wine once. Where it cannot (a kernel without 32-bit support, say), that
# bitness is still built and its DLL's imports checked, one line says why its
# tests did not run, and that is not a failure. SMARTTAG_WINE_SKIP=32 (or 64,
# or 32,64) takes that path on purpose. Where the probe runs, a failing test
# fails the script; a test program that fails is first run once more on its
# own, and one that then passes is named in the output and does not.
#
# The unpacked Boost sources (Regex and Program_options are compiled from
# Debian's source package) are kept between runs in SMARTTAG_WINDOWS_CACHE
# (default ~/.cache/smarttag-windows), one folder per package version.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
cache="${SMARTTAG_WINDOWS_CACHE:-$HOME/.cache/smarttag-windows}"
bits_list="$(echo "${SMARTTAG_WINDOWS_BITS:-32 64}" | tr ',' ' ')"
jobs="$(nproc)"
start=$(date +%s)
. "$root/scripts/windows-lib.sh"

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

step() { echo "== windows-test: $* ($(( $(date +%s) - start ))s)"; }

wants() { case " $bits_list " in *" $1 "*) return 0 ;; esac; return 1; }

# --- packages -----------------------------------------------------------------
apt_install() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
}
need_install=0
wants 32 && { command -v i686-w64-mingw32-g++-posix >/dev/null || need_install=1; }
wants 64 && { command -v x86_64-w64-mingw32-g++-posix >/dev/null || need_install=1; }
[ -x /usr/lib/wine/wine64 ] || need_install=1
dpkg -s googletest >/dev/null 2>&1 || need_install=1
command -v dpkg-source >/dev/null || need_install=1
if [ "$need_install" = 1 ]; then
  step "installing the cross compilers and Wine"
  as_root apt-get update -q
  apt_install g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 \
    googletest libboost1.74-dev nlohmann-json3-dev dpkg-dev xz-utils cmake ninja-build
fi
# 32-bit Wine comes from the i386 architecture. On a kernel that cannot run
# 32-bit programs its packages' post-install scripts fail, and a mirror may
# fail to serve the i386 lists; then the i386 packages are removed again (so
# later apt-get runs are not left with broken packages), the architecture too
# if this script added it (so later apt-get updates do not fetch its lists),
# the attempt is remembered, and the probe below reports the 32-bit tests as
# not run.
wine32_tried="$cache/wine32-install-failed"
if wants 32 && ! wine_skip_forced 32 && [ -z "${SMARTTAG_WINDOWS_BUILD_ONLY:-}" ] && ! dpkg -s wine32:i386 >/dev/null 2>&1 && [ ! -f "$wine32_tried" ]; then
  step "installing 32-bit Wine"
  had_i386=0
  dpkg --print-foreign-architectures | grep -qx i386 && had_i386=1
  if ! { as_root dpkg --add-architecture i386 && as_root apt-get update -q && apt_install wine32:i386; }; then
    echo "== windows-test: 32-bit Wine could not be installed; removing its half-installed i386 packages"
    # No i386 package at all is no error (dpkg-query then exits 1).
    broken="$(dpkg-query -W -f '${db:Status-Abbrev} ${binary:Package}\n' '*:i386' 2>/dev/null |
              awk '$1 != "ii" && $1 != "un" { print $2 }')" || true
    # shellcheck disable=SC2086
    as_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q wine32:i386 $broken || true
    # dpkg refuses while any i386 package is still installed.
    [ "$had_i386" = 1 ] || as_root dpkg --remove-architecture i386 || true
    mkdir -p "$cache" && touch "$wine32_tried"
  fi
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


# --- one bitness: build, check the DLL, probe Wine, test ------------------------
# Wine takes the Windows locale, and so the ANSI code page, from the Unix one;
# the tests expect Windows-1252, which is what an English or C locale gives.
export LC_ALL=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=

# The grammar generator built for the build machine by the first bitness is
# used by the next instead of being built again.
host_glrgen=""

test_bitness() {
  local bits="$1" build triplet toolchain emulator reason status=0
  if [ "$bits" = 32 ]; then
    build="${BUILD_DIR_32:-${BUILD_DIR:-$root/build-win32}}"
    triplet=i686-w64-mingw32 toolchain=mingw-i686.cmake
    export WINEARCH=win32
  else
    build="${BUILD_DIR_64:-$root/build-win64}"
    triplet=x86_64-w64-mingw32 toolchain=mingw-x86_64.cmake
    export WINEARCH=win64
  fi
  mkdir -p "$build"
  # A prefix of the build's own and one server for the whole run: every test
  # program starting its own server is too slow.
  export WINEPREFIX="$build/wineprefix"
  mkdir -p "$WINEPREFIX"

  step "$bits-bit: configuring"
  # Release at -O2: without debug information the build takes about a third
  # less time (BUILD_TYPE=RelWithDebInfo for symbolic backtraces of a crash).
  # A folder configured before keeps its own generator: switching would
  # regenerate the grammar tables and recompile what includes them.
  # One borrowed from a folder since deleted is replaced by a generator of
  # this folder's own.
  local glrgen_option=() cached_glrgen
  if [ -f "$build/CMakeCache.txt" ]; then
    cached_glrgen="$(sed -n 's/^GLRGEN_EXECUTABLE:FILEPATH=//p' "$build/CMakeCache.txt")"
    [ -z "$cached_glrgen" ] || [ -x "$cached_glrgen" ] || glrgen_option=(-DGLRGEN_EXECUTABLE=)
  else
    glrgen_option=(-DGLRGEN_EXECUTABLE="$host_glrgen")
  fi
  cmake -S "$root" -B "$build" -G Ninja "${glrgen_option[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
    -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DSMARTTAG_WERROR=ON -DSMARTTAG_BUILD_BENCH=OFF \
    -DBOOST_SOURCE_DIR="$boost_src" >"$build/configure.log" || { cat "$build/configure.log"; return 1; }
  step "$bits-bit: building"
  cmake --build "$build" --parallel "$jobs" ${SMARTTAG_WINDOWS_BUILD_ONLY:+--target smarttag} || return 1
  [ -n "$host_glrgen" ] || [ ! -x "$build/host-glrgen/glrgen" ] || host_glrgen="$build/host-glrgen/glrgen"

  local dll
  dll="$(find "$build/bin" -maxdepth 1 -name '*smarttag*.dll' | head -n 1)"
  echo "== $bits-bit $(basename "$dll") imports: $("$triplet-objdump" -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
  if [ -n "${SMARTTAG_WINDOWS_BUILD_ONLY:-}" ]; then
    # The DLL alone, for scripts/windows-package.sh: its checks need no Wine.
    (cd "$build" && ctest -R '^dll_(imports|exports)$' --output-on-failure) >"$build/dll_checks.log" 2>&1 ||
      { cat "$build/dll_checks.log"; return 1; }
    return 0
  fi

  # The command the tests run under (the toolchain file looked for it).
  emulator="$(sed -n 's/^WINE_EXECUTABLE:FILEPATH=//p' "$build/CMakeCache.txt")"
  case "$emulator" in *-NOTFOUND) emulator= ;; esac
  if [ -n "$emulator" ] && [ "$bits" = 64 ]; then
    # Programs the tests start (cmd.exe, the tools) use the same loader.
    export WINELOADER="$emulator"
  else
    unset WINELOADER
  fi
  step "$bits-bit: starting Wine"
  printf '#include <stdio.h>\nint main(void) { puts("smarttag-probe"); return 0; }\n' >"$build/wine-probe.c"
  "$triplet-gcc-posix" -o "$build/wine-probe.exe" "$build/wine-probe.c" 2>"$build/wine-probe.log" || true
  if [ -n "$emulator" ] && ! wine_skip_forced "$bits"; then
    # Failures here are left to the probe to report.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    timeout 300 "$emulator" wineboot -i </dev/null >"$build/wineboot.log" 2>&1 || true
  fi
  reason="$(wine_probe "$bits" "$build/wine-probe.exe" ${emulator:+"$emulator"})" || true
  [ -n "$reason" ] || step "$bits-bit: testing under Wine"
  finish_bitness "$bits" "$build" "$emulator" "$reason" || status=$?
  wineserver -k >/dev/null 2>&1 || true
  return "$status"
}

cleanup() {
  for b in "${BUILD_DIR_32:-${BUILD_DIR:-$root/build-win32}}" "${BUILD_DIR_64:-$root/build-win64}"; do
    [ -d "$b/wineprefix" ] && WINEPREFIX="$b/wineprefix" wineserver -k >/dev/null 2>&1 || true
  done
}
trap cleanup EXIT

overall=0
failed=""
for bits in $bits_list; do
  case "$bits" in 32|64) ;; *) echo "SMARTTAG_WINDOWS_BITS: no such bitness: $bits" >&2; exit 2 ;; esac
  if ! test_bitness "$bits"; then overall=1; failed="$failed $bits-bit"; fi
done
step "done${failed:+, failed:$failed}"
exit "$overall"
