#!/usr/bin/env bash
# Builds the whole program and its unit and integration tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (-DDEZADAV_SANITIZE=ON) and runs every test with CTest.
#
#   scripts/sanitize.sh [extra ctest arguments, e.g. -R reliability or -LE long]
#
# Configuration, build directory (build-asan/) and the sanitizer options are the CMake preset "asan",
# the same build that CI (scripts/test.sh, preset "ci") tests; this script adds the CTest arguments.
# Any sanitizer report fails the test that produced it: UBSan halts on the first error, ASan aborts,
# LeakSanitizer reports leaks at exit. Leaks inside system libraries that the program does not own
# (fontconfig, the X and D-Bus client libraries) are suppressed by tests/lsan_suppressions.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${DEZADAV_JOBS:-$(nproc)}

cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" "$@"
