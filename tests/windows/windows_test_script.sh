#!/usr/bin/env bash
# The decisions scripts/windows-test.sh makes for one bitness, with fake Wine
# and fake CTest commands: a machine that cannot run a bitness (forced, or the
# probe failing) passes with the reason printed; a failing test still fails.
#   tests/windows/windows_test_script.sh [scripts/windows-lib.sh]
set -uo pipefail
lib="${1:-$(dirname "$0")/../../scripts/windows-lib.sh}"
. "$lib"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A fake CTest: writes a LastTest.log as CTest does for GoogleTest programs
# and exits with FAKE_CTEST_STATUS.
cat >"$work/ctest" <<'FAKE'
#!/bin/sh
mkdir -p Testing/Temporary
if [ "$FAKE_CTEST_STATUS" = 0 ]; then
  printf '%s\n' '[==========] 3 tests from 1 test suite ran. (1 ms total)' '[  PASSED  ] 2 tests.' \
    '[  SKIPPED ] 1 test, listed below:' >Testing/Temporary/LastTest.log
else
  printf '%s\n' '[==========] 3 tests from 1 test suite ran. (1 ms total)' '[  PASSED  ] 2 tests.' \
    '[  FAILED  ] 1 test, listed below:' >Testing/Temporary/LastTest.log
fi
exit "$FAKE_CTEST_STATUS"
FAKE
# Wine as on a kernel without 32-bit support, and Wine that works.
printf '#!/bin/sh\necho "wine: could not exec wineserver32: Exec format error" >&2\nexit 126\n' >"$work/nowine"
printf '#!/bin/sh\necho smarttag-probe\n' >"$work/goodwine"
chmod +x "$work/ctest" "$work/nowine" "$work/goodwine"
touch "$work/probe.exe"
export SMARTTAG_CTEST="$work/ctest" jobs=1

# Runs finish_bitness as windows-test.sh does; sets $out and $status.
bitness() {
  local reason
  reason="$(wine_probe "$1" "$work/probe.exe" "$2")"
  status=0
  out="$(cd "$work" && finish_bitness "$1" "$work" "$reason" 2>&1)" || status=$?
}

# Forced skip: not run, the reason named, exit 0, even with failing tests.
SMARTTAG_WINE_SKIP=32 FAKE_CTEST_STATUS=8 bitness 32 "$work/goodwine"
[ "$status" = 0 ] || fail "forced skip of 32-bit returned $status"
grep -q '^== 32-bit programs cannot run on this machine: SMARTTAG_WINE_SKIP=32' <<<"$out" || fail "forced skip: no reason line: $out"
grep -q '32-bit tests under Wine: not run' <<<"$out" || fail "forced skip: not reported as not run: $out"

# The list form names each bitness; one not named still runs its tests.
SMARTTAG_WINE_SKIP="32,64" FAKE_CTEST_STATUS=8 bitness 64 "$work/goodwine"
[ "$status" = 0 ] && grep -q '64-bit programs cannot run' <<<"$out" || fail "SMARTTAG_WINE_SKIP=32,64 did not skip 64-bit: $status $out"
SMARTTAG_WINE_SKIP=32 FAKE_CTEST_STATUS=8 bitness 64 "$work/goodwine"
[ "$status" != 0 ] || fail "SMARTTAG_WINE_SKIP=32 skipped the failing 64-bit tests"

# A probe that cannot run: passes, with Wine's own words as the reason.
SMARTTAG_WINE_SKIP= FAKE_CTEST_STATUS=8 bitness 32 "$work/nowine"
[ "$status" = 0 ] || fail "unrunnable 32-bit returned $status"
grep -q 'cannot run on this machine: .*status 126: .*Exec format error' <<<"$out" || fail "probe failure reason missing: $out"
SMARTTAG_WINE_SKIP= FAKE_CTEST_STATUS=8 bitness 64 "$work/no-such-wine"
[ "$status" = 0 ] && grep -q 'no 64-bit Wine is installed' <<<"$out" || fail "missing Wine not reported: $status $out"

# A machine that can run it: a failing test fails, passing tests pass, and
# the totals are GoogleTest's.
SMARTTAG_WINE_SKIP= FAKE_CTEST_STATUS=8 bitness 64 "$work/goodwine"
[ "$status" != 0 ] || fail "a failing test exited 0"
grep -q '64-bit test cases under Wine: 3 run, 2 passed, 0 skipped, 1 failed' <<<"$out" || fail "failure totals: $out"
grep -q 'FAILED (ctest exit status 8)' <<<"$out" || fail "failure not named: $out"
SMARTTAG_WINE_SKIP= FAKE_CTEST_STATUS=0 bitness 64 "$work/goodwine"
[ "$status" = 0 ] || fail "passing tests returned $status: $out"
grep -q '3 run, 2 passed, 1 skipped, 0 failed' <<<"$out" || fail "pass totals: $out"

[ "$failures" = 0 ] && echo "windows-test decisions: all checks passed"
exit $(( failures > 0 ))
