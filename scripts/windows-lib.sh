# Functions shared by scripts/windows-test.sh and its own test
# (tests/windows/windows_test_script.sh): whether this machine can run a
# bitness under Wine, and what a bitness's test run reports. Source it; it
# runs nothing by itself.
#
# SMARTTAG_WINE_SKIP lists bitnesses to treat as unable to run ("32", "64",
# "32,64"), as on a machine whose kernel runs 64-bit programs only.

# wine_skip_forced BITS: true when SMARTTAG_WINE_SKIP names BITS.
wine_skip_forced() {
  local item
  for item in $(echo "${SMARTTAG_WINE_SKIP:-}" | tr ',;' '  '); do
    [ "$item" = "$1" ] && return 0
  done
  return 1
}

# wine_probe BITS EXE LOADER...: runs EXE (a tiny program that prints
# "smarttag-probe") once under the given Wine command. Prints nothing and
# succeeds when it ran; otherwise prints the reason on one line and fails.
wine_probe() {
  local bits="$1" exe="$2" out status=0
  shift 2
  if wine_skip_forced "$bits"; then
    echo "SMARTTAG_WINE_SKIP=${SMARTTAG_WINE_SKIP} says so"
    return 1
  fi
  if [ ! -f "$exe" ]; then
    echo "the probe program could not be built"
    return 1
  fi
  if [ "$#" = 0 ] || ! command -v "$1" >/dev/null 2>&1; then
    echo "no ${bits}-bit Wine is installed"
    return 1
  fi
  out="$(timeout 300 "$@" "$exe" </dev/null 2>&1)" || status=$?
  if [ "$status" = 0 ] && printf '%s\n' "$out" | grep -q '^smarttag-probe'; then
    return 0
  fi
  # The last line Wine wrote is usually the cause ("Exec format error").
  out="$(printf '%s\n' "$out" | tr -d '\r' | sed '/^\s*$/d' | tail -n 1)"
  echo "a ${bits}-bit test program under Wine gave exit status ${status}${out:+: $out}"
  return 1
}

# wine_tests BUILD_DIR EMULATOR: the names of BUILD_DIR's CTest tests whose
# command starts with EMULATOR (Wine), one a line.
wine_tests() {
  (cd "$1" && ${SMARTTAG_CTEST:-ctest} -N -V) | tr -d '\r' | awk -v emulator="$2" '
    /^[0-9]+: Test command: / { n = $1; sub(":", "", n); wine[n] = ($4 == emulator) }
    /^ *Test +#[0-9]+: / { n = $2; sub("#", "", n); sub(":", "", n); if (wine[n]) print $3 }'
}

# report_not_run BITS BUILD_DIR EMULATOR REASON: for a bitness that is built
# but whose tests this machine cannot run under Wine. Runs the tests that need
# no Wine (the DLL's exports and imports, the grammar generator's checks),
# whose failure still fails the step, and reports the others as not run.
report_not_run() {
  local bits="$1" build="$2" emulator="$3" names regex status=0 count
  echo "== ${bits}-bit programs cannot run on this machine: $4"
  names="$(wine_tests "$build" "$emulator")"
  count="$(printf '%s' "$names" | grep -c . || true)"
  regex="^($(printf '%s' "$names" | paste -sd '|' -))\$"
  if [ -n "$names" ]; then
    (cd "$build" && ${SMARTTAG_CTEST:-ctest} --output-on-failure -E "$regex") || status=$?
  else
    (cd "$build" && ${SMARTTAG_CTEST:-ctest} --output-on-failure) || status=$?
  fi
  echo "== ${bits}-bit tests under Wine: not run (${count} test programs)"
  if [ "$status" != 0 ]; then
    echo "== ${bits}-bit tests that need no Wine: FAILED (ctest exit status $status)"
  fi
  return "$status"
}

# run_wine_tests BITS BUILD_DIR: runs CTest (SMARTTAG_CTEST, default ctest)
# in BUILD_DIR and prints GoogleTest's totals over all programs with the
# reasons for skips. Returns CTest's status: a failing test fails the step.
#
# Programs that failed are run once more, one at a time: under Wine, with the
# other programs loading the machine, a test that starts child processes has
# been seen to fail once and pass on every run before and after. One that
# passes alone is named as such and does not fail the step, one that fails
# again does. The totals are the first run's.
run_wine_tests() {
  local bits="$1" build="$2" status=0 log failed_log again
  failed_log="$build/Testing/Temporary/LastTestsFailed.log"
  rm -f "$failed_log"
  (cd "$build" && ${SMARTTAG_CTEST:-ctest} --output-on-failure --parallel "${jobs:-2}") || status=$?
  log="$build/Testing/Temporary/LastTest.log"
  if [ -f "$log" ]; then
    awk -v bits="$bits" '
         /^\[==========\] [0-9]+ tests? from .* ran/ { ran += $2 }
         /^\[  PASSED  \] [0-9]+ tests?\./ { passed += $4 }
         /^\[  SKIPPED \] [0-9]+ tests?[,.]/ { skipped += $4 }
         END { printf "== %s-bit test cases under Wine: %d run, %d passed, %d skipped, %d failed\n", bits, ran, passed, skipped, ran - passed - skipped }' "$log"
    awk '/: Skipped$/ { getline; print }' "$log" | sort | uniq -c | sed "s/^ */== ${bits}-bit skipped: /"
  fi
  if [ "$status" != 0 ] && [ -s "$failed_log" ]; then
    again="$(cut -d: -f2- "$failed_log" | tr '\n' ' ')"
    echo "== ${bits}-bit failed under Wine: ${again}; running them again, one at a time"
    if (cd "$build" && ${SMARTTAG_CTEST:-ctest} --output-on-failure --rerun-failed); then
      echo "== ${bits}-bit passed when run again alone: ${again}(the first run's output is above)"
      status=0
    else
      status=$?
    fi
  fi
  if [ "$status" != 0 ]; then
    echo "== ${bits}-bit tests under Wine: FAILED (ctest exit status $status)"
  fi
  return "$status"
}

# finish_bitness BITS BUILD_DIR EMULATOR REASON: REASON empty means the
# machine can run BITS, so all tests run and decide the result; otherwise
# only those that need no Wine do.
finish_bitness() {
  if [ -n "$4" ]; then
    report_not_run "$1" "$2" "$3" "$4"
  else
    run_wine_tests "$1" "$2"
  fi
}
