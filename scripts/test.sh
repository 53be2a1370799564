#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer (preset "ci",
# into build-asan/), and runs every test; ends with CTest's summary. Then builds the Debian package
# from an optimised build (preset "package", into build-package/: the package never holds the
# instrumented programs) and has lintian check it (any error or warning fails). Also builds the
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
cmake --preset package >/dev/null
cmake --build --preset package -j "$(nproc)"
rm -f build-package/dezadav_*.deb
(cd build-package && cpack -G DEB >/dev/null)
# The package is the project's own build, not an upload to Debian: it closes no ITP bug, which
# lintian's explanation of that one warning allows.
lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs build-package/dezadav_*.deb
