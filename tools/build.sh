#!/usr/bin/env bash
# Configures and builds the project in build/ (or $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
build_dir=${BUILD_DIR:-build}
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBULKSMS_WERROR=$werror >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
