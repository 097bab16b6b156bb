#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then configures and
# builds into the folder given as $1 (default: build). Extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
shift || true

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-image-formats-plugins libgl-dev libjpeg-dev
    libgtest-dev libbenchmark-dev
    fonts-dejavu-core fonts-dejavu-extra
    xvfb xauth
    virtualjaguar binutils-m68k-linux-gnu x11-utils imagemagick
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing missing packages: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

cmake -S . -B "$build_dir" -G Ninja "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
