#!/usr/bin/env bash
# What rastix asks of its memory budget for each route a picture can take, against the peak
# resident memory it really reaches (/usr/bin/time %M) converting an 8000 x 8000 picture that
# way, less the peak of the same options on a 16 x 16 picture of the same kind (the program,
# its libraries and threads). "held" should stay at or a little below "asked": more means the
# budget lets pictures exhaust the memory together, much less that it makes them wait for
# nothing. The last cases run two pictures at once, which share the budget.
# Usage: bench/rastix_routes.sh [BUILD_DIR] [RASTIX]
#   BUILD_DIR  where bench_rastix is (default: build; run scripts/setup.sh first)
#   RASTIX     the converter to measure (default: BUILD_DIR/bin/rastix)
# SIZE=WxH changes the picture size; KEEP=1 keeps the work folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rastix=$(realpath "${2:-$build/bin/rastix}")
maker=$(realpath -m "$build/bench/bench_rastix")
[ -x "$rastix" ] && [ -x "$maker" ] || { echo "build first: scripts/setup.sh $build" >&2; exit 2; }
size=${SIZE:-8000x8000}

work=$(mktemp -d)
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
mkdir "$work/big" "$work/small" "$work/out"
kinds=(photo.jpg photo-progressive.jpg photo.png photo-rgba.png photo.tga photo.gif photo.bmp)
for kind in "${kinds[@]}"; do
    "$maker" --write-picture "$work/big/$kind" "$size"
    "$maker" --write-picture "$work/small/$kind" 16x16
done
for i in 1 2; do
    for kind in photo-rgba.png photo.tga; do
        ln "$work/big/$kind" "$work/big/$i-$kind"
        ln "$work/small/$kind" "$work/small/$i-$kind"
    done
done

peak_mb() { # folder options... pictures...: the peak resident memory of one run, in MB
    local dir=$1
    shift
    (cd "$dir" && /usr/bin/time -f '%M' -o "$work/time" "$rastix" --overwrite \
        --target-dir "$work/out" "$@" >/dev/null 2>"$work/err") || true
    rm -f "$work/out"/*
    echo $(($(tail -n 1 "$work/time") / 1024))
}
asked_mb() { # options... pictures...: what rastix asks for them, in MB, added up
    (cd "$work/big" && "$maker" --estimate --overwrite --target-dir "$work/out" "$@") |
        sed -n 's/.*needs about \([0-9.]*\) \([MG]B\).*/\1 \2/p' |
        awk '{ total += ($2 == "GB") ? $1 * 1024 : $1 } END { printf "%d", total }'
}

echo "rastix: $rastix"
echo "pictures: $size; MB = 2^20 bytes"
printf '%-44s %7s %7s %7s %7s\n' "case" "asked" "peak" "idle" "held"
while IFS='|' read -r name options pictures; do
    # shellcheck disable=SC2086 # options and pictures are word lists
    {
        asked=$(asked_mb $options $pictures)
        idle=$(peak_mb "$work/small" $options $pictures)
        peak=$(peak_mb "$work/big" $options $pictures)
    }
    status=""
    # The console's size warning is no failure.
    failure=$(grep -v ': warning: ' "$work/err" | head -n 1 | cut -c 1-60 || true)
    [ -z "$failure" ] || status="   $failure"
    printf '%-44s %7s %7s %7s %7s%s\n' "$name" "$asked" "$peak" "$idle" $((peak - idle)) "$status"
done <<'CASES'
JPEG, streamed|--binary|photo.jpg
progressive JPEG, streamed|--binary|photo-progressive.jpg
PNG, streamed|--binary|photo.png
PNG, streamed, assembly|--assembly|photo.png
RGBA PNG, decoded whole|--binary|photo-rgba.png
RLE TGA, decoded whole|--binary|photo.tga
GIF via Qt|--binary|photo.gif
BMP via Qt|--binary|photo.bmp
cut of a JPEG|--binary --cut 4,4:7000x7000|photo.jpg
cut of an RGBA PNG|--binary --cut 4,4:7000x7000|photo-rgba.png
quarter turn of a JPEG|--binary --rotate 90|photo.jpg
turn by 30 degrees|--binary --rotate 30|photo.jpg
dithered true colour|--binary --dither ordered|photo.jpg
colour map, binary|--binary --clut|photo.jpg
colour map, assembly|--assembly --clut|photo.jpg
colour map of an RGBA PNG|--binary --clut|photo-rgba.png
16-colour ordered map|--binary --clut --dither ordered --colours 16|photo.jpg
16-colour ordered map, 4 bits|--binary --clut --opt-clut --dither ordered --colours 16|photo.jpg
cut colour map|--binary --clut --cut 4,4:7000x7000|photo.jpg
two RGBA PNGs at once|--binary|1-photo-rgba.png 2-photo-rgba.png
two RLE TGAs at once|--binary|1-photo.tga 2-photo.tga
CASES
