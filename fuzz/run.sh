#!/usr/bin/env bash
# Builds every fuzz/*_fuzz.cpp as a libFuzzer binary with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs each over a copy of its committed corpus for SECONDS.
#
#   fuzz/run.sh SECONDS
#
# Environment: FUZZ_JOBS targets at a time (default 2), FUZZ_TARGETS a space-separated subset of
# reader names (default: every reader), FUZZ_TIMEOUT seconds one input may take before it counts as a
# hang (default 10), FUZZ_RSS_MB memory limit per target (default 2048).
# Results go to fuzz/build/runs/<time>/: one log per target, the grown corpus, and any crash,
# leak or timeout input. The script fails if any target found one; a summary line per target
# (runs, coverage, corpus size) is printed at the end.
set -euo pipefail

if [[ $# -ne 1 || ! $1 =~ ^[0-9]+$ || $1 -lt 1 ]]; then
    echo "usage: fuzz/run.sh SECONDS" >&2
    exit 2
fi
seconds=$1
jobs=${FUZZ_JOBS:-2}
hang=${FUZZ_TIMEOUT:-10}
rss=${FUZZ_RSS_MB:-2048}

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/fuzz/build

readers=()
if [[ -n ${FUZZ_TARGETS:-} ]]; then
    read -r -a readers <<<"$FUZZ_TARGETS"
else
    for src in "$root"/fuzz/*_fuzz.cpp; do
        name=$(basename "$src" .cpp)
        readers+=("${name%_fuzz}")
    done
fi
if [[ ${#readers[@]} -eq 0 ]]; then
    echo "no fuzz targets found" >&2
    exit 2
fi
targets=()
for r in "${readers[@]}"; do
    if [[ ! -f $root/fuzz/${r}_fuzz.cpp || ! -d $root/fuzz/corpus/$r ]]; then
        echo "unknown reader '$r' (needs fuzz/${r}_fuzz.cpp and fuzz/corpus/$r/)" >&2
        exit 2
    fi
    targets+=("${r}_fuzz")
done

# The CMake preset "fuzz" (into fuzz/build/): every object is instrumented for coverage
# (fuzzer-no-link), so that libFuzzer is guided by the readers' own branches and not only by the
# target's; the targets themselves link the fuzzer.
(
    cd "$root"
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz --target "${targets[@]}" -j "$(nproc)"
)

run=$build/runs/$(date +%Y%m%d-%H%M%S)
mkdir -p "$run"
echo "fuzzing ${#readers[@]} targets for ${seconds} s each, $jobs at a time; results in $run"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

fuzz_one() {
    local reader=$1
    local dir=$run/$reader
    mkdir -p "$dir/corpus" "$dir/artifacts"
    cp -R "$root/fuzz/corpus/$reader/." "$dir/corpus/"
    local rc=0
    "$build/fuzz/${reader}_fuzz" "$dir/corpus" \
        -max_total_time="$seconds" -timeout="$hang" -rss_limit_mb="$rss" \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/" >"$dir.log" 2>&1 || rc=$?
    echo "$rc" >"$dir.rc"
}

running=0
for r in "${readers[@]}"; do
    if ((running >= jobs)); then
        wait -n || true
        running=$((running - 1))
    fi
    fuzz_one "$r" &
    running=$((running + 1))
done
wait || true

failed=0
printf '%-20s %-6s %12s %8s %8s %s\n' target result runs cov corpus findings
for r in "${readers[@]}"; do
    dir=$run/$r
    rc=$(cat "$dir.rc" 2>/dev/null || echo missing)
    findings=$(find "$dir/artifacts" -type f | wc -l)
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir.log" | grep -o '[0-9]*$' | tail -1)
    cov=$(grep -oE '(#[0-9]+|DONE) .*cov: [0-9]+' "$dir.log" | grep -oE 'cov: [0-9]+' | tail -1 | grep -oE '[0-9]+')
    corpus=$(find "$dir/corpus" -type f | wc -l)
    result=clean
    if [[ $rc != 0 || $findings -ne 0 ]]; then
        result=FAILED
        failed=1
    fi
    printf '%-20s %-6s %12s %8s %8s %s\n' "$r" "$result" "${runs:-?}" "${cov:-?}" "$corpus" "$findings"
    if [[ $result == FAILED ]]; then
        grep -m 20 -E 'ERROR|runtime error|SUMMARY|Test unit written' "$dir.log" | sed 's/^/    /' || true
    fi
done
exit $failed
