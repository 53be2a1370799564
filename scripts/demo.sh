#!/usr/bin/env bash
# Shows the main job of Dezadav against emulated routers on loopback: installs what is missing, builds
# the programs it runs, starts dezadav-routersim with its two default routers (a two-port and a
# one-port model), then through dezadav-cli finds the routers, fetches each one's settings into a file,
# edits the file and shows what applying it would send (a dry run: nothing is sent), and reads a
# call log. Then it starts the window, dezadav, against the same routers: on a desktop ($DISPLAY
# set) for you to use; without one (or with --screenshots) dezadav-demo runs the window on a
# virtual X server, where it picks the first router, types the password, fetches, saves a picture
# of each page into a folder it prints ($DEZADAV_SCREENSHOT_DIR, default build/screenshots) and
# ends by itself. Nothing leaves the loopback interface.
#
#   scripts/demo.sh [--screenshots]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

screenshots=no
for arg in "$@"; do
    case "$arg" in
        --screenshots) screenshots=yes ;;
        -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "unknown argument: $arg (try --help)" >&2; exit 2 ;;
    esac
done
[ -n "${DISPLAY:-}" ] || screenshots=yes

bash "$root/scripts/ensure_packages.sh"
# Only the programs the demo runs: the tests, fuzzers and benchmarks are left for scripts/build.sh.
(cd "$root" && cmake --preset dev >/dev/null)
cmake --build "$root/build" -j "$(nproc)" --target dezadav-routersim dezadav-cli dezadav dezadav-demo

build=$root/build
sim="$build/tools/routersim/dezadav-routersim"
cli="$build/src/cli/dezadav-cli"
app="$build/src/app/dezadav"
demo="$build/tools/demo/dezadav-demo"
work=$(mktemp -d "${TMPDIR:-/tmp}/dezadav-demo.XXXXXX")

# The emulator picks free ports and ends when its standard input closes.
coproc SIM { exec "$sim" --telnet-port 0 --discovery 127.0.0.1:0 --control-stdin; }
sim_pid=$SIM_PID
cleanup() {
    exec {SIM[1]}>&- 2>/dev/null || true
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ready=""
read -r -t 10 ready <&"${SIM[0]}" || true
case "$ready" in
    READY*) ;;
    *) echo "The router emulator did not start." >&2; exit 1 ;;
esac
telnet_port=$(sed -n 's/.*telnet=\([0-9]*\).*/\1/p' <<<"$ready")
discovery=$(sed -n 's/.*discovery=\([0-9.]*:[0-9]*\).*/\1/p' <<<"$ready")
discovery_addr=${discovery%:*}
discovery_port=${discovery##*:}
echo "Emulated routers ${ready##*routers=} (telnet port $telnet_port, discovery $discovery)"

# The emulated routers' login password; dezadav-cli reads it from here and never prints it.
export DEZADAV_PASSWORD=admin

echo
echo "== dezadav-cli discover (model, IP, mask, MAC, firmware)"
"$cli" discover --broadcast "$discovery_addr" --discovery-port "$discovery_port" --wait 1000 | tee "$work/routers.txt"

while IFS=$'\t' read -r model ip _mask _mac _version; do
    file="$work/$ip.csv"
    echo
    echo "== dezadav-cli fetch --router $ip --model $model"
    "$cli" fetch --router "$ip" --telnet-port "$telnet_port" --model "$model" --output "$file"
    echo "settings file $(basename "$file"): $(wc -l <"$file") lines; dial plan in use:"
    grep -E '^[0-9]+,[^,]' "$file" | head -n 4 | tr -d '\r'
    echo "..."
    sed -n '/^;LIST/,/^;END/p' "$file" | tr -d '\r'

    # The edit: entry 2 gets another number, entry 3 is cleared, the registrar changes.
    edited="$work/$ip-edited.csv"
    sed -e 's/^2,[^,]*,/2,2222,/' -e 's/^3,[^,]*,/3,,/' \
        -e '/^;LIST/{n;s/^\([^,]*\),[^,]*,/\1,registrar.demo.example,/}' "$file" >"$edited"
    echo
    echo "== dezadav-cli apply --router $ip --dry-run (entry 2 renumbered, entry 3 cleared, new registrar)"
    "$cli" apply --router "$ip" --telnet-port "$telnet_port" --model "$model" --input "$edited" --dry-run
done <"$work/routers.txt"

first_ip=$(head -n 1 "$work/routers.txt" | cut -f 2)
if [ -n "$first_ip" ]; then
    echo
    echo "== dezadav-cli log --router $first_ip (index, date, time, duration, direction, address)"
    "$cli" log --router "$first_ip" --telnet-port "$telnet_port"
fi

# The window against the same routers, discovery pointed at the emulator.
window_args=(--telnet-port "$telnet_port" --broadcast "$discovery_addr" --discovery-port "$discovery_port")
echo
if [ "$screenshots" = no ]; then
    echo "== dezadav (the window): pick a router, type the emulated routers' password (docs/routersim.md)"
    echo "   the program ends with Exit in Select Router, Esc or the close box"
    "$app" "${window_args[@]}" || true
else
    shots=${DEZADAV_SCREENSHOT_DIR:-$build/screenshots}
    mkdir -p "$shots"
    rm -f "$shots"/[1-6]-*.png
    echo "== dezadav (the window) on a virtual X server: select router, password, fetch, a picture per page"
    run=(timeout 120 "$demo" "${window_args[@]}" --pictures "$shots")
    if command -v xvfb-run >/dev/null 2>&1; then
        run=(xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}")
    else
        echo "(xvfb-run is missing: drawing off screen instead)"
        export QT_QPA_PLATFORM=offscreen
    fi
    # Each copy gets its own runtime folder, so a window already open on this desktop does not
    # keep this one from starting.
    runtime=$(mktemp -d "${TMPDIR:-/tmp}/dezadav-runtime.XXXXXX")
    chmod 700 "$runtime"
    status=0
    XDG_RUNTIME_DIR="$runtime" "${run[@]}" 2>"$work/window.log" | sed -n 's/^connected .*/settings fetched/p' \
        || status=$?
    rm -rf "$runtime"
    if [ "$status" -ne 0 ] || ! ls "$shots"/*.png >/dev/null 2>&1; then
        echo "The window did not finish its walk-through:" >&2
        grep -v 'does not support' "$work/window.log" >&2 || true
        exit 1
    fi
    echo "Pictures of the window: $shots"
    ls -1 "$shots"
fi
