#!/usr/bin/env bash
# Configures and builds into build/ (or $DEZADAV_BUILD_DIR). Extra arguments go to CMake's configure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DEZADAV_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${DEZADAV_BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
