#!/usr/bin/env bash
# Builds the robustness tests and smarttag-host with ThreadSanitizer, runs the
# concurrency tests and smarttag-host --jobs 2 on the examples (no race, and
# the same output as --jobs 1). The concurrency tests: Recognize and
# NormalizeCitation from two threads at once, after construction, must not race.
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
cmake --build "$build" -j "$jobs" --target test_robustness smarttag-host
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/robustness/tsan.supp ${TSAN_OPTIONS:-}"
"$build/bin/test_robustness" --gtest_filter='Concurrency.*'

# Every example, several times over, as JSON Lines documents for two workers.
input=$(mktemp) serial=$(mktemp) parallel=$(mktemp)
trap 'rm -f "$input" "$serial" "$parallel"' EXIT
for round in 1 2 3 4; do
    for example in examples/*.txt; do
        python3 -c 'import json, sys; print(json.dumps({"id": sys.argv[1], "text": open(sys.argv[1]).read()}))' "$example"
    done
done >"$input"
"$build/bin/smarttag-host" --input jsonl --format jsonl "$input" >"$serial" 2>/dev/null
"$build/bin/smarttag-host" --jobs 2 --input jsonl --format jsonl "$input" >"$parallel" 2>/dev/null
cmp "$serial" "$parallel"
echo "smarttag-host --jobs 2: no race, same output as --jobs 1"
