#!/usr/bin/env bash
# rastix's colour maps and dithering next to pngquant and ImageMagick, on every colour
# photograph of Debian's python3-skimage and a smooth gradient. The figures are those of the
# program users run: BUILD/bin/rastix --binary converts each picture, and bench/palette_quality
# decodes the files it wrote with the console's display rules (its own reading of the words,
# the CRY table and the maps; it shares no code with rastix) and compares them with the source.
# The other tools' PNGs are brought to the console's words by the same program, as RGB16 true
# colour without dither, and decoded alike, so every row is measured the same way. Times are
# wall clock, the best of 5 whole runs of the tool's program (rastix, pngquant or convert:
# start, reading the PNG, writing the result). Prints markdown tables, then the means over the
# photos; writes side-by-side PNGs of one photo at 16 colours. Two sizes a photo and three
# colour counts keep a run within 10 minutes on 2 busy cores.
# Usage: bench/palette_quality.sh [BUILD_DIR [OUT_DIR]]   (default: build, and a temp folder)
# The photos and tools are fetched here, when the script runs; the build never needs them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
quality="$build/bench/palette_quality"
rastix="$build/bin/rastix"
selfcheck="$build/tests/test_palette_quality_decoder"
cry_table=rastix/data/cry-table.csv
for program in "$quality" "$rastix"; do
    [ -x "$program" ] || { echo "build first: cmake --build $build --target palette_quality rastix" >&2; exit 2; }
done
# A decoder that misread the words would make every figure wrong without a sign.
if [ -x "$selfcheck" ]; then
    "$selfcheck" --gtest_brief=1 >/dev/null || { echo "the decoder's self-check fails: $selfcheck" >&2; exit 1; }
else
    echo "note: $selfcheck is not built (BUILD_TESTING off): the decoder is not checked first" >&2
fi
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

# The photographs: the pictures of python3-skimage's data folder with three colour channels
# (no alpha), at least 256 x 256, taken by a camera, telescope or microscope, one per scene.
#   taken: astronaut, chelsea, coffee, hubble_deep_field, ihc, motorcycle_left, retina, rocket
#   left:  motorcycle_right (the other half of the stereo pair motorcycle_left belongs to: the
#          same scene twice would count twice in the means); color (a synthetic colour wheel);
#          logo, horse (alpha, drawn); phantom, green_palette, chessboard_RGB, bw_text
#          (synthetic); brick, camera, cell, clock_motion, coins, grass, gravel, moon, page,
#          text, microaneurysms (grey); block, palette_color, palette_gray, foo3x5x4indexed,
#          checker_bilevel (below 256 x 256); truncated.jpg (cut short on purpose)
photos=(astronaut.png chelsea.png coffee.png hubble_deep_field.jpg ihc.png motorcycle_left.png
    retina.jpg rocket.jpg)
sizes=(320x240 160x120)

pictures=()
for photo in "${photos[@]}"; do
    for size in "${sizes[@]}"; do
        # Filled and cut to the size, so no picture is stretched.
        "$convert" -quiet "$data/$photo" -resize "$size^" -gravity center -extent "$size" \
            "PNG24:$work/${photo%.*}-$size.png"
        pictures+=("${photo%.*}-$size")
    done
done
"$convert" -size 240x320 gradient:'#101828-#e8d8b0' -rotate 90 "PNG24:$work/gradient-320x240.png"
pictures+=(gradient-320x240)

best_ms() { # the best wall-clock time of 5 runs of a command, in milliseconds
    local best=-1 start end took
    for _ in 1 2 3 4 5; do
        start=${EPOCHREALTIME//[!0-9]/}
        "$@" >/dev/null || { echo "failed: $*" >&2; return 1; }
        end=${EPOCHREALTIME//[!0-9]/}
        took=$((end - start))
        if ((best < 0 || took < best)); then best=$took; fi
    done
    printf '%d.%d\n' $((best / 1000)) $((best % 1000 / 100))
}

words="$work/words"
convert_words() { # rastix's options, then the picture: converts into $words, timed into $ms
    rm -rf "$words" && mkdir "$words"
    ms=$(best_ms "$rastix" --binary --overwrite --target-dir "$words" "$@")
}
measure() { # method, ms, then the model, the file rastix wrote and [SHOWN.png]: a row
    local label=$1 took=$2 figures
    shift 2
    figures=$("$quality" "$cry_table" "$src" "$@") # psnr de lowpass words
    row "$label" $figures "$took"
}

results="$work/results.tsv" # picture, table, method, then the figures, for the means
: >"$results"
row() { # method, then psnr de lowpass words ms
    printf '| %s | %s | %s | %s | %s | %s |\n' "$@"
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$picture" "$table" "$@" >>"$results"
}
columns="| method | PSNR dB | mean CIEDE2000 | low-pass PSNR dB | words shown | ms, best of 5 program runs |"
header() {
    table=$1
    echo
    echo "### $picture, $table"
    echo
    echo "$columns"
    echo "|---|---|---|---|---|---|"
}

echo "Every row: the console's colours for the words rastix --binary wrote, decoded apart from"
echo "rastix; pngquant's and ImageMagick's PNGs converted by rastix as RGB16 true colour, no dither."
echo "ms: wall clock, best of 5 whole runs of the row's program (rastix; pngquant; convert), not"
echo "counting the conversion of another tool's PNG to words. Words shown: distinct words on screen."
for picture in "${pictures[@]}"; do
    src="$work/$picture.png"
    for colours in 256 16 4; do
        header "RGB16 colour map of $colours"
        show() { [ "$picture" = chelsea-320x240 ] && [ "$colours" = 16 ] && echo "$out/$1.png" || true; }
        for dither in none ordered diffusion; do
            convert_words --clut --opt-clut --colours "$colours" --dither "$dither" "$src"
            measure "rastix --dither $dither" "$ms" rgb16 "$words/$picture.map" $(show "rastix-$dither")
        done
        other() { # label, the tool's result, the name of its shown picture, then the tool's command
            local label=$1 result=$2 shown=$3 tool_ms
            shift 3
            tool_ms=$(best_ms "$@")
            convert_words --dither none "$result"
            local name=${result##*/}
            measure "$label" "$tool_ms" rgb16 "$words/${name%.*}.rgb" $(show "$shown")
        }
        other "pngquant --nofs" "$work/pq.png" pngquant-nofs \
            pngquant "$colours" --speed 1 --nofs --force --output "$work/pq.png" "$src"
        other "pngquant (dithered)" "$work/pq.png" pngquant-dither \
            pngquant "$colours" --speed 1 --force --output "$work/pq.png" "$src"
        other "ImageMagick -dither None" "$work/im.png" im-none \
            "$convert" "$src" -dither None -colors "$colours" "PNG24:$work/im.png"
        other "ImageMagick -dither FloydSteinberg" "$work/im.png" im-fs \
            "$convert" "$src" -dither FloydSteinberg -colors "$colours" "PNG24:$work/im.png"
    done
    for model in rgb16 cry16; do
        header "true colour ${model^^}"
        for dither in none ordered diffusion; do
            convert_words "-${model%16}" --dither "$dither" "$src"
            measure "rastix --dither $dither" "$ms" "$model" "$words/$picture.${model%16}"
        done
    done
    header "CRY16 colour map of 256"
    for dither in none diffusion; do
        convert_words -cry --clut --colours 256 --dither "$dither" "$src"
        measure "rastix --dither $dither" "$ms" cry16 "$words/$picture.map"
    done
done

# The means over the photos, one table for each size: the gradient is left out.
for size in "${sizes[@]}"; do
    echo
    echo "## Means over the ${#photos[@]} photos at $size"
    awk -F '\t' -v size="$size" -v columns="$columns" '
        $1 ~ "-" size "$" && $1 !~ /^gradient-/ {
            key = $2 SUBSEP $3
            if (!(key in n)) { order[++keys] = key; if (!($2 in seen)) { seen[$2] = 1; tables[++ntables] = $2 } }
            n[key]++; psnr[key] += $4; de[key] += $5; low[key] += $6; shown[key] += $7; ms[key] += $8
        }
        END {
            for (t = 1; t <= ntables; t++) {
                printf "\n### %s\n\n%s\n|---|---|---|---|---|---|\n", tables[t], columns
                for (k = 1; k <= keys; k++) {
                    split(order[k], part, SUBSEP)
                    if (part[1] != tables[t]) continue
                    key = order[k]
                    printf "| %s | %.2f | %.3f | %.2f | %.0f | %.1f |\n", part[2], psnr[key] / n[key],
                        de[key] / n[key], low[key] / n[key], shown[key] / n[key], ms[key] / n[key]
                }
            }
        }' "$results"
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
echo "pngquant dithered, ImageMagick None, FloydSteinberg), all in RGB16 words as the console"
echo "shows them:"
echo "  $out/side-by-side-16.png"
