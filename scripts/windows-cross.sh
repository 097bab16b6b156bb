#!/usr/bin/env bash
# Builds Glyphmill for 64-bit Windows on Debian 12 with MinGW-w64, runs the whole test suite
# under Wine, takes a screenshot of the real program, checks that rastix.exe writes the same
# bytes as the Linux build, and leaves glyphmill-VERSION-windows-x64.zip in the build folder.
#
# Qt for Windows is built once per machine from Debian's own qt6-base source (about 15 minutes
# on 2 cores) into a cache outside the repository, keyed by the source version and this
# script's hash; later runs reuse it.
#
#   scripts/windows-cross.sh [--qt-only] [BUILD_DIR]     (default BUILD_DIR: build-windows)
# Environment: GLYPHMILL_WINDOWS_CACHE (default /var/cache/glyphmill-windows),
#              LINUX_RASTIX (default build/bin/rastix, built by scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

qt_only=false
if [ "${1:-}" = --qt-only ]; then
    qt_only=true
    shift
fi
build_dir=$(realpath -m "${1:-build-windows}")
cache=${GLYPHMILL_WINDOWS_CACHE:-/var/cache/glyphmill-windows}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)
log() { echo "== windows-cross: $*"; }

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
apt_get() {
    # Other builds on the machine may be installing at the same time: wait for the lock.
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 "$@"
}

# --- packages ---------------------------------------------------------------------------------
packages=(
    g++-mingw-w64-x86-64-posix wine64 wine cmake ninja-build dpkg-dev
    qt6-base-dev-tools googletest xvfb xauth x11-utils imagemagick zip
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sources=/etc/apt/sources.list.d/glyphmill-deb-src.sources
updated=false
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    log "adding Debian's source packages to apt"
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' \
        'Suites: bookworm bookworm-updates' 'Components: main' \
        'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
        "${sudo_cmd[@]}" tee "$sources" >/dev/null
    apt_get update -qq
    updated=true
fi
if ((${#missing[@]})); then
    log "installing ${missing[*]}"
    $updated || apt_get update -qq
    apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# --- Qt for Windows, once per machine -------------------------------------------------------------
qt_prefix=$(scripts/windows-qt.sh | tail -1)
log "Qt for Windows: $qt_prefix"
$qt_only && exit 0
