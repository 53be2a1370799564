#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
# Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail

packages=(cmake g++ ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev xvfb xauth trayer openbox x11-utils xdotool fonts-wqy-microhei
          busybox-static qt6-translations-l10n lintian libgit2-dev groff-base mandoc
          python3-jsonschema git ansible-core)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
echo "Installing missing packages: ${missing[*]}"
run_root=()
[ "$(id -u)" -eq 0 ] || run_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${run_root[@]}" apt-get update -q
"${run_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
