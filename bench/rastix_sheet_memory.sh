#!/usr/bin/env bash
# Peak memory and time of rastix splitting a large sprite sheet into frames (--frames): a
# photo-like PNG, whose frames all differ, and one whose frames repeat (16 distinct ones), in
# binary and assembly, RGB16, CRY16 and an 8-bit colour map, and turned by a quarter (--rotate
# 90, and with --dither ordered, which turns each frame before it is encoded). Next to each peak
# is its share of the sheet decoded as 32-bit pixels, the yardstick of 1.5 for a whole decode.
# Usage: bench/rastix_sheet_memory.sh [BUILD_DIR] [RASTIX]
#   BUILD_DIR  where bench_rastix is (default: build; run scripts/setup.sh first)
#   RASTIX     the converter to measure (default: BUILD_DIR/bin/rastix), e.g. an older build
# SIZE=WxH changes the sheet (default 16384x16384), FRAME=WxH the frames (default 64x64; the
# repeating sheet's tiles are 64 x 64 whatever FRAME says); RUNS=N runs each case N times (default
# 1); CASES=REGEX runs only the cases whose name matches; KEEP=1 keeps the work folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rastix=$(realpath "${2:-$build/bin/rastix}")
maker="$build/bench/bench_rastix"
[ -x "$rastix" ] && [ -x "$maker" ] || { echo "build first: scripts/setup.sh $build" >&2; exit 2; }
size=${SIZE:-16384x16384}
frame=${FRAME:-64x64}
runs=${RUNS:-1}

work=$(mktemp -d)
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
"$maker" --write-picture "$work/photo.png" "$size"
"$maker" --write-picture "$work/sheet-tiles.png" "$size"

w=${size%x*}
h=${size#*x}
decoded=$((w * h * 4 / 1048576))

# Prints "seconds peak-MB status share": the best time, the largest peak resident memory, the
# last status and the peak over the decoded sheet; then the first line of a failure.
measure() { # command...
    local best=999999 peak=0 status=0 seconds kb
    for _ in $(seq "$runs"); do
        set +e
        /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/err"
        status=$?
        set -e
        rm -f "$work/out"/*
        read -r seconds kb < <(tail -n 1 "$work/time")
        best=$(awk -v a="$best" -v b="$seconds" 'BEGIN { print (b < a) ? b : a }')
        ((kb > peak)) && peak=$kb
    done
    printf '%7.2f %7d %3d %6s' "$best" $((peak / 1024)) "$status" \
        "$(awk -v p="$peak" -v d="$decoded" 'BEGIN { printf "%.2f", p / 1024 / d }')"
    [ "$status" -eq 0 ] || printf '   %s' "$(head -n 1 "$work/err" | cut -c 1-90)"
}

echo "rastix: $rastix"
echo "sheet: $size in frames of $frame, decoded $decoded MB as 32-bit pixels;" \
    "PNG $(($(stat -c %s "$work/photo.png") / 1048576)) MB, repeating" \
    "$(($(stat -c %s "$work/sheet-tiles.png") / 1048576)) MB"
printf '%-44s %7s %7s %3s %6s\n' "case" "seconds" "peak-MB" "st" "share"
for picture in photo sheet-tiles; do
    for format in --binary --assembly; do
        for mode in "-rgb" "-cry" "--clut" "-rgb --rotate 90" "--clut --rotate 90" \
            "-rgb --rotate 90 --dither ordered"; do
            name="$picture ${format#--} $mode"
            [[ "$name" =~ ${CASES:-.} ]] || continue
            # shellcheck disable=SC2086 # the mode is several options
            printf '%-44s %s\n' "$name" "$(measure "$rastix" $format $mode --frames "$frame" \
                --overwrite --target-dir "$work/out" "$work/$picture.png")"
        done
    done
done
