#!/usr/bin/env bash
# Builds the robustness tests, smarttag-host and the Python module with
# ThreadSanitizer. The concurrency tests: Recognize, NormalizeCitation and the
# C++ interface from several threads at once, after construction, must not
# race. Then smarttag-host --jobs 2 on the examples (no race, and the same
# output as --jobs 1). Then the Python module runs its thread tests in
# Debian's python3 with the sanitizer's runtime preloaded (the interpreter
# itself is not instrumented; its GIL is a pthread mutex and condition, which
# the runtime sees, so the module's own accesses are checked while threads
# call it with the GIL released).
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
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=thread" \
    -DSMARTTAG_BUILD_BENCH=OFF -DSMARTTAG_BUILD_PYTHON=ON >/dev/null
cmake --build "$build" -j "$jobs" --target test_robustness smarttag-host smarttag_python
options="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/robustness/tsan.supp ${TSAN_OPTIONS:-}"
TSAN_OPTIONS="$options" "$build/bin/test_robustness" --gtest_filter='Concurrency.*'

# Every example, several times over, as JSON Lines documents for two workers.
input=$(mktemp) serial=$(mktemp) parallel=$(mktemp)
trap 'rm -f "$input" "$serial" "$parallel"' EXIT
for round in 1 2 3 4; do
    for example in examples/*.txt; do
        python3 -c 'import json, sys; print(json.dumps({"id": sys.argv[1], "text": open(sys.argv[1]).read()}))' "$example"
    done
done >"$input"
TSAN_OPTIONS="$options" "$build/bin/smarttag-host" --input jsonl --format jsonl "$input" >"$serial" 2>/dev/null
TSAN_OPTIONS="$options" "$build/bin/smarttag-host" --jobs 2 --input jsonl --format jsonl "$input" >"$parallel" 2>/dev/null
cmp "$serial" "$parallel"
echo "smarttag-host --jobs 2: no race, same output as --jobs 1"

runtime=$("$cxx" -print-file-name=libtsan.so)
if [ ! -f "$runtime" ]; then
  echo "tsan: no libtsan.so for $cxx; the Python module's thread tests are not run" >&2
  exit 0
fi
LD_PRELOAD="$runtime" TSAN_OPTIONS="$options" SMARTTAG_BUILD_DIR="$build" \
    /usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests/test_module.py -k "threads or spans or bad or wrong"
