#!/usr/bin/env bash
# Builds the robustness tests with ThreadSanitizer and runs the concurrency
# tests: Recognize and NormalizeCitation from two threads at once, after
# construction, must not race.
#
#   scripts/tsan.sh
#
# Environment: TSAN_BUILD_DIR (default build-m-tsan), TSAN_JOBS (default 2),
# TSAN_CXX (default g++).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TSAN_BUILD_DIR:-build-m-tsan}
jobs=${TSAN_JOBS:-2}
cxx=${TSAN_CXX:-g++}

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" -DSMARTTAG_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target test_robustness
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/robustness/tsan.supp ${TSAN_OPTIONS:-}" \
    "$build/bin/test_robustness" --gtest_filter='Concurrency.*'
