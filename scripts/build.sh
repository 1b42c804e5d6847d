#!/usr/bin/env bash
# Configures and builds one build directory.
#   scripts/build.sh [release|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
kind="${1:-release}"
case "$kind" in
  release)  dir=build;      extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSMARTTAG_BUILD_PYTHON=ON -DPython3_EXECUTABLE=/usr/bin/python3) ;;
  sanitize) dir=build-asan; extra=(-DCMAKE_BUILD_TYPE=Debug -DSMARTTAG_SANITIZE=ON -DSMARTTAG_BUILD_BENCH=OFF) ;;
  *) echo "usage: $0 [release|sanitize]" >&2; exit 2 ;;
esac
scripts/bootstrap.sh
cmake -S . -B "$dir" -G Ninja -DSMARTTAG_WERROR=ON "${extra[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
