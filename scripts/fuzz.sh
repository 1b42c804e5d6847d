#!/usr/bin/env bash
# Builds the libFuzzer programs with clang, the whole library instrumented for
# coverage and built with AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs each target for a bounded time.
#
#   scripts/fuzz.sh SECONDS [TARGET...]
#
# TARGET is one of normalize, recognizers, terminal_command, grammar (all by
# default). Each run starts from the kept findings (fuzz/corpus/TARGET), the
# seeds cut at build time and the inputs earlier runs found
# (BUILD/corpus/TARGET, which grows from run to run and is not committed).
# A crash, sanitizer report, leak, failed check or an input slower than
# FUZZ_TIMEOUT seconds stops that target and leaves the input in
# BUILD/artifacts/TARGET/; copy it into fuzz/corpus/TARGET/ once fixed, so the
# replay tests keep it. The script ends with one line per target (executions,
# seconds, result) and fails if any target failed.
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_JOBS (build jobs,
# default 2), FUZZ_TIMEOUT (seconds per input, default 5), FUZZ_RSS_MB
# (memory limit, default 2048), CXX_CLANG (default clang++).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $# -lt 1 || ! "$1" =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/fuzz.sh SECONDS [TARGET...]" >&2
    exit 2
fi
seconds=$1
shift
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(normalize recognizers terminal_command grammar)

build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=${FUZZ_JOBS:-2}
timeout=${FUZZ_TIMEOUT:-5}
rss=${FUZZ_RSS_MB:-2048}
clang=${CXX_CLANG:-clang++}

if ! command -v "$clang" >/dev/null; then
    echo "fuzz.sh: $clang not found; the replay tests (ctest -L fuzz_replay) run without it" >&2
    exit 2
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$clang" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSMARTTAG_SANITIZE=ON -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" \
    -DSMARTTAG_BUILD_TESTS=OFF -DSMARTTAG_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_seeds "${targets[@]/#/fuzz_}"

# Longest input tried per target: candidates are short, document text and
# grammar files longer.
max_len() {
    case $1 in
        normalize) echo 4096 ;;
        recognizers) echo 16384 ;;
        terminal_command) echo 1024 ;;
        grammar) echo 4096 ;;
    esac
}

summary=()
failed=0
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    artifacts="$build/artifacts/$target/"
    log="$build/fuzz-$target.log"
    mkdir -p "$work" "$artifacts"
    echo "== fuzz_$target for ${seconds}s (log: $log)"
    inputs=("$work")
    # Kept findings exist only once a target has some (git keeps no empty folders).
    [ -d "fuzz/corpus/$target" ] && inputs+=("fuzz/corpus/$target")
    inputs+=("$build/fuzz/seeds/$target")
    status=0
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb="$rss" \
        -max_len="$(max_len "$target")" -print_final_stats=1 -artifact_prefix="$artifacts" \
        "${inputs[@]}" >"$log" 2>&1 || status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 || true)
    took=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o 'in [0-9]*' | grep -o '[0-9]*' | tail -1 || true)
    corpus=$(find "$work" -type f | wc -l)
    if [[ $status -eq 0 ]]; then
        result=ok
    else
        result="FAILED (exit $status; see $log and $artifacts)"
        failed=1
        grep -E 'ERROR|SUMMARY|check failed|Test unit written' "$log" | head -5 >&2 || true
    fi
    summary+=("$(printf '%-18s %12s executions %6ss  corpus %6s  %s' "$target" "${runs:-?}" "${took:-?}" "$corpus" "$result")")
done

echo
printf '%s\n' "${summary[@]}"
exit $failed
