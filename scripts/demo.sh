#!/usr/bin/env bash
# Builds the project and runs the host program on the bundled sample document.
#   scripts/demo.sh [smarttag-host options]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh release
exec build/bin/smarttag-host "$@" examples/sample.txt
