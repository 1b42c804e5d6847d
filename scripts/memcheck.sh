#!/usr/bin/env bash
# Runs every test program of a build, and the fuzz replay programs over their
# inputs, under valgrind memcheck: invalid reads and writes, uses of
# uninitialised values, and definite or indirect leaks fail the run.
#
#   scripts/memcheck.sh [BUILD_DIR]      (default: build; a normal, not a
#                                         sanitizer, build)
#
# glibc's AVX2 wide-string comparison reads whole vectors past the end of a
# string, which memcheck reports as invalid reads; glibc is told to use its
# plain versions instead.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
export GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-AVX512F,-AVX512VL,-AVX512BW,-EVEX,-AVX_Fast_Unaligned_Load,-ERMS

failed=0
run() {
    local name=$1
    shift
    local log="$build/memcheck-$name.log" start=$SECONDS status=0
    valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
        --show-leak-kinds=definite,indirect "$@" >"$log" 2>&1 || status=$?
    if [[ $status -eq 0 ]]; then
        echo "$name: clean ($((SECONDS - start)) s)"
    else
        echo "$name: FAILED (exit $status; see $log)"
        failed=1
    fi
}

for test in "$build"/bin/test_*; do
    run "$(basename "$test")" "$test"
done
for target in normalize recognizers terminal_command grammar; do
    [[ -x "$build/bin/replay_$target" ]] || continue
    inputs=("fuzz/corpus/$target")
    [[ -d "$build/fuzz/seeds/$target" ]] && inputs+=("$build/fuzz/seeds/$target")
    run "replay_$target" "$build/bin/replay_$target" "${inputs[@]}"
done
exit $failed
