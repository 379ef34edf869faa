#!/usr/bin/env bash
# Configures and builds the project in build/ (or $BUILD_DIR): everything, or only the targets named.
#   bash tools/build.sh [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
build_dir=${BUILD_DIR:-build}
# Warnings are errors under CI; elsewhere the build folder keeps what it was configured with.
flags=()
[ "${CI:-}" = "true" ] && flags+=(-DBULKSMS_WERROR=ON)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build_dir" -j "$(nproc)" "${targets[@]}"
