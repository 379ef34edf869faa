#!/usr/bin/env bash
# Builds everything and runs the whole test suite under CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
build_dir=${BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" -j "$(nproc)" --output-on-failure --timeout 300
