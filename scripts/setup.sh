#!/usr/bin/env bash
# Installs the Debian packages the build and its tests need (only those missing), then
# configures and builds into the folder given as $1 (default: build). Extra arguments go to
# CMake, after ours: warnings are errors here unless -DGLYPHMILL_WERROR=OFF is given.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
shift || true

scripts/ensure-packages.sh \
    cmake ninja-build g++ gcc pkg-config \
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-image-formats-plugins libgl-dev libjpeg-dev \
    libpng-dev libstb-dev \
    libgtest-dev libbenchmark-dev \
    fonts-dejavu-core fonts-dejavu-extra \
    xvfb xauth \
    virtualjaguar binutils-m68k-linux-gnu gcc-m68k-linux-gnu x11-utils imagemagick webp \
    desktop-file-utils appstream man-db groff-base make \
    gimp-data python3-pil

cmake -S . -B "$build_dir" -G Ninja -DGLYPHMILL_WERROR=ON "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
