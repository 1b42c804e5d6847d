#!/usr/bin/env bash
# Builds everything and runs every test: first a normal build, then the same
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz
# target for a short bounded time (clang's libFuzzer).
#   scripts/test.sh            all three
#   scripts/test.sh --fast     normal build only
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"

scripts/build.sh release
(cd build && ctest --output-on-failure --parallel "$jobs")
# The Python module (Debian's python3 and pytest), then outside programs built
# against an installed copy of build/.
PYTHONPATH=build/python SMARTTAG_BUILD_DIR=build /usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests
scripts/consumer-test.sh

if [ "${1:-}" != "--fast" ]; then
  scripts/build.sh sanitize
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-asan && ctest --output-on-failure --parallel "$jobs")
fi

if [ "${1:-}" != "--fast" ]; then
  scripts/fuzz.sh "${SMARTTAG_CI_FUZZ_SECONDS:-20}"
fi
