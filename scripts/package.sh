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
# Hardened as Debian's own packages are (dpkg-buildflags); the build type sets optimisation, and
# CPack strips the programs.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP="-g -O2"
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
# The tests are not needed for the package: CI builds and runs them in other folders.
scripts/setup.sh "$build_dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DGLYPHMILL_BENCHMARKS=OFF "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" "$@"

out=$build_dir/package
rm -rf "$out"
cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$out" >"$build_dir/cpack.log" ||
    { cat "$build_dir/cpack.log" >&2; exit 1; }
deb=$(ls "$out"/glyphmill_*.deb)

# Errors fail the build; warnings are printed for a person to judge.
lintian --fail-on error --tag-display-limit 0 "$deb" >&2
echo "$deb"
