#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; ends with CTest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/ensure_packages.sh"
bash "$root/scripts/build.sh"
build=${DEZADAV_BUILD_DIR:-$root/build}
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 300
