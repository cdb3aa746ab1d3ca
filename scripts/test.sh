#!/usr/bin/env bash
# Sets everything up, builds and runs all tests offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "${JOBS:-2}"
