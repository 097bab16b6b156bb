#!/usr/bin/env bash
# Builds a static Qt (qtbase) for 64-bit Windows from Debian's own qt6-base source, once per
# machine, into a cache outside the repository, and prints its folder. The cache key is the
# source version (the same as Debian's qt6-base-dev-tools, whose moc, rcc and uic it uses) and
# the hash of this script and the toolchain file, so a second run reuses the build.
# Needs the packages and the deb-src entry that scripts/windows-cross.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cache=${GLYPHMILL_WINDOWS_CACHE:-/var/cache/glyphmill-windows}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

qt_source_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
script_hash=$(cat "$0" "$toolchain" | sha256sum | cut -c1-12)
qt_prefix=$cache/qt-${qt_source_version//[^A-Za-z0-9.+-]/_}-$script_hash
if [ ! -f "$qt_prefix/.complete" ]; then
    echo "== building Qt $qt_source_version for Windows into $qt_prefix (about 15 minutes)" >&2
    "${sudo_cmd[@]}" mkdir -p "$cache"
    "${sudo_cmd[@]}" chown "$(id -u):$(id -g)" "$cache"
    work=$(mktemp -d "$cache/qt-build.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    (
        cd "$work"
        apt-get source -qq --download-only "qt6-base=$qt_source_version" >/dev/null 2>&1
        dpkg-source -x qt6-base_*.dsc src >/dev/null 2>&1
        rm -rf "$qt_prefix.tmp"
        mkdir -p "$qt_prefix.tmp"
        # Qt's generated toolchain file keeps the path of the one it was built with.
        cp "$toolchain" "$qt_prefix.tmp/mingw-w64-x86_64.cmake"
        mkdir build && cd build
        ../src/configure -prefix "$qt_prefix.tmp" -xplatform win32-g++ -qt-host-path /usr \
            -static -static-runtime -release -opensource -confirm-license \
            -nomake examples -nomake tests \
            -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype \
            -qt-doubleconversion -no-opengl -no-dbus -no-icu -no-zstd \
            -no-feature-vulkan -no-feature-sql -no-feature-network -no-feature-xml \
            -no-feature-concurrent -no-feature-printsupport -no-feature-tabletevent \
            -no-feature-direct2d1_1 -no-feature-androiddeployqt \
            -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$qt_prefix.tmp/mingw-w64-x86_64.cmake" \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >configure.log 2>&1 ||
            { tail -40 configure.log >&2; exit 1; }
        cmake --build . --parallel "$jobs" >build.log 2>&1 || { tail -40 build.log >&2; exit 1; }
        cmake --install . >install.log 2>&1 || { tail -40 install.log >&2; exit 1; }
    )
    rm -rf "$qt_prefix"
    mv "$qt_prefix.tmp" "$qt_prefix"
    touch "$qt_prefix/.complete"
fi
echo "$qt_prefix"
