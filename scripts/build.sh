#!/usr/bin/env bash
# Configures and builds with the CMake preset "dev" (into build/). Extra arguments go to CMake's
# configure step, e.g. -DCMAKE_BUILD_TYPE=Debug.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev "$@" >/dev/null
cmake --build --preset dev -j "$(nproc)"
