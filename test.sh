#!/usr/bin/env bash
# Builds Glyphmill (installing what the build needs) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
cd build
ctest --output-on-failure -j "$(nproc)"
