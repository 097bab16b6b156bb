#!/usr/bin/env bash
# Compares rastix with ImageMagick on a 6000 x 4000 JPEG (made by bench_rastix):
#   rastix --binary (RGB16 and CRY16) against `convert PICTURE rgb:OUT` (raw 24-bit RGB).
# ImageMagick is installed here, when the script runs; the build never needs it.
# Usage: bench/rastix_vs_imagemagick.sh [BUILD_DIR]   (default: build; run scripts/setup.sh first)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rastix="$build/bin/rastix"
maker="$build/bench/bench_rastix"
[ -x "$rastix" ] && [ -x "$maker" ] || { echo "build first: scripts/setup.sh $build" >&2; exit 2; }

# Debian's ImageMagick, by its full path: another "convert" may come first on PATH.
convert=/usr/bin/convert
if ! dpkg-query -W -f='${Status}' imagemagick 2>/dev/null | grep -q 'install ok installed' ||
    [ ! -x "$convert" ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends imagemagick
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$maker" --write-picture "$work/photo.jpg"
mkdir "$work/out"

runs=${RUNS:-5}
# Best wall-clock time in milliseconds of $runs runs of the given command.
best() {
    local best_ms=999999999 start end ms
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        ms=$(((end - start) / 1000000))
        ((ms < best_ms)) && best_ms=$ms
    done
    echo "$best_ms"
}

im=$(best "$convert" "$work/photo.jpg" "rgb:$work/out/photo-im.rgb")
rgb=$(best "$rastix" --binary --overwrite --target-dir "$work/out" "$work/photo.jpg")
cry=$(best "$rastix" -cry --binary --overwrite --target-dir "$work/out" "$work/photo.jpg")

"$convert" -version | head -1
echo "6000 x 4000 JPEG, best of $runs runs (wall clock):"
echo "  ImageMagick convert -> raw RGB24 : ${im} ms ($(stat -c %s "$work/out/photo-im.rgb") bytes)"
echo "  rastix --binary RGB16            : ${rgb} ms ($(stat -c %s "$work/out/photo.rgb") bytes)"
echo "  rastix -cry --binary CRY16       : ${cry} ms ($(stat -c %s "$work/out/photo.cry") bytes)"
