#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR), with any extra CMake options in $CMAKE_OPTIONS.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
# shellcheck disable=SC2086 # CMAKE_OPTIONS holds several words on purpose
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Debug}" ${CMAKE_OPTIONS:-} >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
