#!/usr/bin/env bash
# Builds the whole program and its unit and integration tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (-DDEZADAV_SANITIZE=ON) and runs every test with CTest.
#
#   scripts/sanitize.sh [extra ctest arguments, e.g. -R reliability or -LE long]
#
# Build directory: build-asan (or $DEZADAV_SANITIZE_BUILD_DIR). Any sanitizer report fails the test
# that produced it: UBSan halts on the first error, ASan aborts, LeakSanitizer reports leaks at exit.
# Leaks inside system libraries that the program does not own (fontconfig, the X and D-Bus client
# libraries, the offscreen platform's one-time setup) are suppressed; see the list written below.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DEZADAV_SANITIZE_BUILD_DIR:-$root/build-asan}
jobs=${DEZADAV_JOBS:-$(nproc)}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDEZADAV_SANITIZE=ON \
    -DDEZADAV_BUILD_TESTS=ON -DDEZADAV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs"

suppressions=$build/lsan.supp
cat >"$suppressions" <<'EOF'
# Allocations made once by system libraries and kept until the process ends.
leak:libfontconfig
leak:libdbus
leak:libX11
leak:libxcb
leak:libglib
EOF

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:check_initialization_order=1:strict_init_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$suppressions:print_suppressions=0}

cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 600 "$@"
