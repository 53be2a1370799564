#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer (preset "ci",
# into build-asan/), and runs every test; ends with CTest's summary. Also builds the
# programs without Qt Widgets (preset "headless", into build-headless/) to prove that the command
# line and the emulator need none; their tests are the ones run here already, so they are not run
# twice.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/ensure_packages.sh"
cd "$root"
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$(nproc)"
cmake --preset headless >/dev/null
cmake --build --preset headless-programs -j "$(nproc)"
ctest --preset ci -j "$(nproc)"
