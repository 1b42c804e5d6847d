#!/usr/bin/env bash
# The decisions scripts/windows-test.sh makes for one bitness, with fake Wine
# and fake CTest commands: a machine that cannot run a bitness (forced, or the
# probe failing) passes with the reason printed and only the tests that need
# no Wine run; a failing test still fails.
#   tests/windows/windows_test_script.sh [scripts/windows-lib.sh]
set -uo pipefail
lib="${1:-$(dirname "$0")/../../scripts/windows-lib.sh}"
. "$lib"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A fake CTest over two tests: test_wine runs under $work/wine, dll_check on
# the build machine. -N -V lists them as CTest does; a run writes a
# LastTest.log with GoogleTest's lines and exits with WINE_STATUS, or, when
# test_wine is excluded with -E, with HOST_STATUS.
cat >"$work/ctest" <<FAKE
#!/bin/bash
if [ "\$1" = -N ]; then
  printf '%s\n' '1: Test command: $work/wine "$work/test_wine.exe" "--gtest_brief=1"' '  Test #1: test_wine' \\
    '2: Test command: /usr/bin/cmake "-P" "check.cmake"' '  Test #2: dll_check' 'Total Tests: 2'
  exit 0
fi
for arg; do
  case "\$arg" in
    -E) excluded=1 ;;
    '^(test_wine)\$') [ -n "\${excluded:-}" ] && wine_excluded=1 ;;
    --rerun-failed) echo "ran test_wine again"; exit "\${RERUN_STATUS:-\$WINE_STATUS}" ;;
  esac
done
if [ -n "\${wine_excluded:-}" ]; then echo "ran dll_check"; exit "\${HOST_STATUS:-0}"; fi
echo "ran test_wine and dll_check"
mkdir -p Testing/Temporary
if [ "\$WINE_STATUS" = 0 ]; then
  printf '%s\n' '[==========] 3 tests from 1 test suite ran. (1 ms total)' '[  PASSED  ] 2 tests.' \\
    '[  SKIPPED ] 1 test, listed below:' >Testing/Temporary/LastTest.log
else
  # As --gtest_brief prints it: the failing case by name, no list of failures.
  printf '%s\n' '[  FAILED  ] Suite.Case (1 ms)' '[==========] 3 tests from 1 test suite ran. (1 ms total)' \\
    '[  PASSED  ] 2 tests.' >Testing/Temporary/LastTest.log
  echo '1:test_wine' >Testing/Temporary/LastTestsFailed.log
fi
exit "\$WINE_STATUS"
FAKE
# Wine as on a kernel without 32-bit support, and Wine that works.
printf '#!/bin/sh\necho "wine: could not exec wineserver32: Exec format error" >&2\nexit 126\n' >"$work/nowine"
printf '#!/bin/sh\necho smarttag-probe\n' >"$work/wine"
chmod +x "$work/ctest" "$work/nowine" "$work/wine"
touch "$work/probe.exe"
export SMARTTAG_CTEST="$work/ctest" jobs=1

# One bitness as windows-test.sh runs it, the probe using PROBE_WINE; sets
# $out and $status.
bitness() {
  local reason
  reason="$(wine_probe "$1" "$work/probe.exe" "$2")"
  rm -rf "$work/Testing"
  status=0
  out="$(finish_bitness "$1" "$work" "$work/wine" "$reason" 2>&1)" || status=$?
}

# Forced: not run, the reason named, exit 0 although the Wine tests fail; the
# tests that need no Wine still run.
SMARTTAG_WINE_SKIP=32 WINE_STATUS=8 bitness 32 "$work/wine"
[ "$status" = 0 ] || fail "forced skip of 32-bit returned $status: $out"
grep -q '^== 32-bit programs cannot run on this machine: SMARTTAG_WINE_SKIP=32' <<<"$out" || fail "forced skip: no reason line: $out"
grep -q '^== 32-bit tests under Wine: not run (1 test programs)' <<<"$out" || fail "forced skip: not reported as not run: $out"
grep -q '^ran dll_check' <<<"$out" || fail "forced skip: the build-machine tests did not run alone: $out"
# ... but a failing build-machine test (the DLL's imports, say) still fails.
SMARTTAG_WINE_SKIP=32 WINE_STATUS=0 HOST_STATUS=8 bitness 32 "$work/wine"
[ "$status" != 0 ] || fail "forced skip hid a failing build-machine test: $out"

# The list form names each bitness; one not named still runs its tests.
SMARTTAG_WINE_SKIP="32,64" WINE_STATUS=8 bitness 64 "$work/wine"
[ "$status" = 0 ] && grep -q '64-bit programs cannot run' <<<"$out" || fail "SMARTTAG_WINE_SKIP=32,64 did not skip 64-bit: $status $out"
SMARTTAG_WINE_SKIP=32 WINE_STATUS=8 bitness 64 "$work/wine"
[ "$status" != 0 ] || fail "SMARTTAG_WINE_SKIP=32 skipped the failing 64-bit tests"

# A probe that cannot run: passes, with Wine's own words as the reason.
SMARTTAG_WINE_SKIP= WINE_STATUS=8 bitness 32 "$work/nowine"
[ "$status" = 0 ] || fail "unrunnable 32-bit returned $status"
grep -q 'cannot run on this machine: .*status 126: .*Exec format error' <<<"$out" || fail "probe failure reason missing: $out"
SMARTTAG_WINE_SKIP= WINE_STATUS=8 bitness 64 "$work/no-such-wine"
[ "$status" = 0 ] && grep -q 'no 64-bit Wine is installed' <<<"$out" || fail "missing Wine not reported: $status $out"

# A machine that can run it: a failing test fails, passing tests pass, and
# the totals are GoogleTest's.
SMARTTAG_WINE_SKIP= WINE_STATUS=8 bitness 64 "$work/wine"
[ "$status" != 0 ] || fail "a failing test exited 0"
grep -q '^ran test_wine and dll_check' <<<"$out" || fail "not every test ran: $out"
grep -q '64-bit test cases under Wine: 3 run, 2 passed, 0 skipped, 1 failed' <<<"$out" || fail "failure totals: $out"
grep -q 'FAILED (ctest exit status 8)' <<<"$out" || fail "failure not named: $out"
grep -q '^ran test_wine again' <<<"$out" || fail "the failing program was not run again: $out"
# One that fails among the others and passes alone is named, and passes.
SMARTTAG_WINE_SKIP= WINE_STATUS=8 RERUN_STATUS=0 bitness 64 "$work/wine"
[ "$status" = 0 ] || fail "a program that passed when run again failed the step: $out"
grep -q '^== 64-bit passed when run again alone: test_wine' <<<"$out" || fail "the second run not reported: $out"
grep -q '3 run, 2 passed, 0 skipped, 1 failed' <<<"$out" || fail "totals not the first run's: $out"
SMARTTAG_WINE_SKIP= WINE_STATUS=0 bitness 64 "$work/wine"
[ "$status" = 0 ] || fail "passing tests returned $status: $out"
grep -q '3 run, 2 passed, 1 skipped, 0 failed' <<<"$out" || fail "pass totals: $out"

[ "$failures" = 0 ] && echo "windows-test decisions: all checks passed"
exit $(( failures > 0 ))
