#!/usr/bin/env bash
# Builds Glyphmill in Release into the folder given as $1 (default: build-release), makes the
# Debian package with CPack and checks it with lintian. Prints the package's path last.
# Extra arguments go to CMake. Install the package with: sudo apt install ./glyphmill_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build-release}
shift || true

# dpkg-shlibdeps (dpkg-dev) and file work out the package's dependencies; lintian checks it.
scripts/ensure-packages.sh dpkg-dev file lintian
# The tests are not needed for the package: CI builds and runs them in other folders.
scripts/setup.sh "$build_dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DGLYPHMILL_BENCHMARKS=OFF "$@"

out=$build_dir/package
rm -rf "$out"
cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$out" >"$build_dir/cpack.log" ||
    { cat "$build_dir/cpack.log" >&2; exit 1; }
deb=$(ls "$out"/glyphmill_*.deb)

# Errors fail the build; warnings are printed for a person to judge.
lintian --fail-on error --no-tag-display-limit "$deb" >&2
echo "$deb"
