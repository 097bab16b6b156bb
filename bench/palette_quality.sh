#!/usr/bin/env bash
# rastix's colour maps and dithering next to pngquant and ImageMagick, on photographs from
# Debian's python3-skimage (astronaut, chelsea, coffee) at 320x240 and 160x120 and a smooth
# gradient. Every result is brought to the console's 16-bit words and decoded with the
# console's rules before it is measured (bench/palette_quality.cpp), so all compete under the
# same limits. Prints markdown tables; writes side-by-side PNGs of one photo at 16 colours.
# Usage: bench/palette_quality.sh [BUILD_DIR [OUT_DIR]]   (default: build, and a temp folder)
# The photos and tools are fetched here, when the script runs; the build never needs them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
measure="$build/bench/palette_quality"
[ -x "$measure" ] || { echo "build first: cmake --build $build --target palette_quality" >&2; exit 2; }
scripts/ensure-packages.sh pngquant imagemagick
convert=/usr/bin/convert # Debian's ImageMagick: another "convert" may come first on PATH

cache=${XDG_CACHE_HOME:-$HOME/.cache}/glyphmill-bench
data="$cache/skimage/usr/lib/python3/dist-packages/skimage/data"
if [ ! -f "$data/coffee.png" ]; then
    mkdir -p "$cache/skimage"
    (cd "$cache" && apt-get download python3-skimage >/dev/null && dpkg -x python3-skimage_*.deb skimage)
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=${2:-$work/shown}
mkdir -p "$out"

pictures=()
for photo in astronaut chelsea coffee; do
    for size in 320x240 160x120; do
        # Filled and cut to the size, so no picture is stretched.
        "$convert" "$data/$photo.png" -resize "$size^" -gravity center -extent "$size" \
            "PNG24:$work/$photo-$size.png"
        pictures+=("$photo-$size")
    done
done
"$convert" -size 240x320 gradient:'#101828-#e8d8b0' -rotate 90 "PNG24:$work/gradient-320x240.png"
pictures+=(gradient-320x240)

row() { # label, then the measurement's words: psnr de lowpass entries ms
    printf '| %s | %s | %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" "$5" "$6"
}
header() {
    echo
    echo "### $1"
    echo
    echo "| method | PSNR dB | mean CIEDE2000 | low-pass PSNR dB | entries | ms |"
    echo "|---|---|---|---|---|---|"
}

for picture in "${pictures[@]}"; do
    src="$work/$picture.png"
    for colours in 256 16 4; do
        header "$picture, RGB16 colour map of $colours"
        show() { [ "$picture" = chelsea-320x240 ] && [ "$colours" = 16 ] && echo "$out/$1.png" || true; }
        row "median cut (before)" $("$measure" cut "$src" rgb16 "$colours")
        for dither in none ordered diffusion; do
            row "rastix --dither $dither" $("$measure" ours "$src" rgb16 "$colours" "$dither" $(show "rastix-$dither"))
        done
        pngquant "$colours" --speed 1 --nofs --force --output "$work/pq.png" "$src"
        row "pngquant --nofs" $("$measure" other "$src" rgb16 "$work/pq.png" $(show pngquant-nofs))
        pngquant "$colours" --speed 1 --force --output "$work/pq.png" "$src"
        row "pngquant (dithered)" $("$measure" other "$src" rgb16 "$work/pq.png" $(show pngquant-dither))
        "$convert" "$src" -dither None -colors "$colours" "PNG24:$work/im.png"
        row "ImageMagick -dither None" $("$measure" other "$src" rgb16 "$work/im.png" $(show im-none))
        "$convert" "$src" -dither FloydSteinberg -colors "$colours" "PNG24:$work/im.png"
        row "ImageMagick -dither FloydSteinberg" $("$measure" other "$src" rgb16 "$work/im.png" $(show im-fs))
    done
    for model in rgb16 cry16; do
        header "$picture, true colour ${model^^}"
        for dither in none ordered diffusion; do
            row "rastix --dither $dither" $("$measure" ours "$src" "$model" 0 "$dither")
        done
    done
    header "$picture, CRY16 colour map of 256"
    row "median cut (before)" $("$measure" cut "$src" cry16 256)
    row "rastix --dither none" $("$measure" ours "$src" cry16 256 none)
done

# One photo at 16 colours from each tool, side by side with the source.
src="$work/chelsea-320x240.png"
"$convert" "$src" "$out/rastix-none.png" "$out/rastix-diffusion.png" "$out/rastix-ordered.png" \
    +append "$work/top.png"
"$convert" "$out/pngquant-nofs.png" "$out/pngquant-dither.png" "$out/im-none.png" "$out/im-fs.png" \
    +append "$work/bottom.png"
"$convert" "$work/top.png" "$work/bottom.png" -gravity west -background white -append \
    "$out/side-by-side-16.png"
echo
echo "Side by side (top: source, rastix none, diffusion, ordered; bottom: pngquant --nofs,"
echo "pngquant dithered, ImageMagick None, FloydSteinberg), all in RGB16 words:"
echo "  $out/side-by-side-16.png"
