#!/usr/bin/env bash
# One palette for a set of sprites, three ways, on 8 pictures: 5 photographs of Debian's
# python3-skimage and the 3 drawn pictures of samples/, at sizes from 64x96 to 256x256.
#   own      each map with a palette of its own: rastix --clut, one run for the 8 pictures
#   shared   all 8 maps on one 256-colour palette rastix chooses from all of them together:
#            rastix --clut --shared-clut set (the maps, and set.clut once)
#   pngquant pngquant's 256 colours for the 8 pictures joined into one sheet, each picture
#            then mapped onto them by rastix --clut --palette, so the mapping and the decoding
#            are those of the other two ways and only the choice of palette differs
# The figures are those of the program users run: BUILD/bin/rastix --binary converts, without
# dither, and bench/palette_quality decodes each map with the palette it was written with by
# the console's display rules (its own reading of the words; it shares no code with rastix)
# and compares it with the picture. Times are wall clock, the best of 5 whole runs of rastix
# for the 8 pictures (start, reading, choosing, writing). Prints markdown tables, RGB16 then
# CRY16, and whether the shared palette does as well as pngquant's on every picture and costs
# at most half again the time of the palettes of their own.
# Usage: bench/shared_palette.sh [BUILD_DIR [KEEP_DIR]]   (default: build; KEEP_DIR, a new
# folder, keeps the pictures, the sheet and every file rastix wrote, to be looked at)
# The photos and pngquant are fetched here, when the script runs; the build never needs them.
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
if [ -n "${2:-}" ]; then
    mkdir "$2" || { echo "KEEP_DIR must be a new folder: $2" >&2; exit 2; }
    work=$(cd "$2" && pwd)
else
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi

# The pictures, in the rows of the sheet pngquant sees: the sizes tile it exactly (three rows
# 384 wide), so no filler colour enters its palette. Photos: the first five of the colour
# photographs bench/palette_quality.sh takes, filled and cut to their size (nothing
# stretched). Drawn: the samples at whole multiples, pixels repeated (no colour added); the
# ship's transparent background is made black, since a sprite set here is opaque: one
# transparent pixel would take index 0 from every picture of a shared palette.
# Every width is a multiple of 16, so no map row needs a transparent padding entry.
#   name               source                     size     how
pictures=(
    "orbs              samples/orbs.jpg           128x96   as-is"
    "ship              samples/ship.gif           96x96    scale"
    "coffee            $data/coffee.png           160x96   cut"
    "sunset            samples/sunset.bmp         192x128  scale"
    "astronaut         $data/astronaut.png        128x128  cut"
    "chelsea           $data/chelsea.png          64x128   cut"
    "hubble_deep_field $data/hubble_deep_field.jpg 256x256 cut"
    "ihc               $data/ihc.png              128x256  cut"
)
rows=("orbs ship coffee" "sunset astronaut chelsea" "hubble_deep_field ihc")
sheet_size=384x480

names=()
declare -A size_of
for line in "${pictures[@]}"; do
    read -r name source size how <<<"$line"
    case $how in
    as-is) fit=() ;;
    scale) fit=(-scale "$size!") ;;
    cut) fit=(-resize "$size^" -gravity center -extent "$size") ;;
    esac
    "$convert" -quiet "$source" -background black -alpha remove -alpha off "${fit[@]}" \
        "PNG24:$work/$name.png"
    made=$("$convert" "$work/$name.png" -format '%wx%h' info:)
    [ "$made" = "$size" ] || { echo "$name came out $made, not $size" >&2; exit 1; }
    names+=("$name")
    size_of[$name]=$size
done
sources=()
for name in "${names[@]}"; do sources+=("$work/$name.png"); done

sheet_rows=()
for row in "${rows[@]}"; do
    sheet_rows+=("(")
    for name in $row; do sheet_rows+=("$work/$name.png"); done
    sheet_rows+=(+append ")")
done
"$convert" "${sheet_rows[@]}" -append +repage "PNG24:$work/sheet.png"
made=$("$convert" "$work/sheet.png" -format '%wx%h' info:)
[ "$made" = "$sheet_size" ] || { echo "the sheet came out $made, not $sheet_size: it holds filler" >&2; exit 1; }
# Without dither, as the maps are made; pngquant's palette is all that is used of its result.
pngquant 256 --speed 1 --nofs --force --output "$work/sheet-quantised.png" "$work/sheet.png"
sheet_colours=$("$convert" "$work/sheet-quantised.png" -format '%k' info:)

set_options() { # the set's name and the model's flag: rastix's options before the pictures
    case $1 in
    own) options=("$2") ;;
    shared) options=("$2" --shared-clut set) ;;
    pngquant) options=("$2" --palette "$work/sheet-quantised.png") ;;
    esac
}
convert_set() { # the set's name and the model's flag: one whole run of rastix, for all 8
    local options
    set_options "$1" "$2"
    "$rastix" --binary --overwrite --clut --dither none --target-dir "$work/$1" "${options[@]}" \
        "${sources[@]}" >/dev/null || { echo "failed: rastix ${options[*]} for the 8 pictures" >&2; exit 1; }
}
sets=(own shared pngquant)
declare -A best_us
time_sets() { # the model's flag: each set's best wall-clock time of 5 runs into best_us
    local set start end took
    for set in "${sets[@]}"; do
        rm -rf "${work:?}/$set" && mkdir "$work/$set"
        best_us[$set]=-1
    done
    # Turn about, so a load that comes and goes on a shared machine falls on every set alike.
    for _ in 1 2 3 4 5; do
        for set in "${sets[@]}"; do
            start=${EPOCHREALTIME//[!0-9]/}
            convert_set "$set" "$1"
            end=${EPOCHREALTIME//[!0-9]/}
            took=$((end - start))
            if ((best_us[$set] < 0 || took < best_us[$set])); then best_us[$set]=$took; fi
        done
    done
}
ms_of() { printf '%d.%d' $((best_us[$1] / 1000)) $((best_us[$1] % 1000 / 100)); }
psnr_of() { # model, the map, [the palette it shares]: the PSNR the console shows
    local model=$1 map=$2 palette=${3:-} name figures
    name=${map##*/}
    name=${name%.map}
    figures=$("$quality" ${palette:+--clut "$palette"} "$cry_table" "$work/$name.png" "$model" \
        "$map") # psnr de lowpass words
    echo "${figures%% *}"
}
require() { # what it means when rastix's outputs fail the check, then the check's command
    local failing=$1
    shift
    "$@" || { echo "rastix misbehaves: $failing" >&2; exit 1; }
}

echo "Each map: rastix --binary --clut --dither none, decoded by the console's rules apart from"
echo "rastix, PSNR against its picture. pngquant-sheet: pngquant 256 --speed 1 --nofs on the"
echo "$sheet_size sheet of all 8 ($sheet_colours colours), its palette given to rastix --palette."
echo "Times: wall clock, best of 5 whole rastix runs converting all 8, the three ways in turn."
summary=()
for model in rgb16 cry16; do
    flag=-${model%16}
    time_sets "$flag"
    own_ms=$(ms_of own) shared_ms=$(ms_of shared) pngquant_ms=$(ms_of pngquant)

    require "--shared-clut set wrote no set.clut" test -f "$work/shared/set.clut"
    entries=$(($(stat -c %s "$work/shared/set.clut") / 2))
    for name in "${names[@]}"; do
        require "$name has no palette of its own" test -f "$work/own/$name.clut"
        require "$name.clut written beside a shared palette" test ! -e "$work/shared/$name.clut"
        require "$name and ${names[0]} were given one palette but hold different ones" \
            cmp -s "$work/pngquant/$name.clut" "$work/pngquant/${names[0]}.clut"
    done

    echo
    echo "### ${model^^} maps, shared palette of $entries entries"
    echo
    echo "| picture | size | PSNR own dB | PSNR shared dB | PSNR pngquant-sheet dB | shared >= pngquant |"
    echo "|---|---|---|---|---|---|"
    met=0 sum_own=0 sum_shared=0 sum_pq=0
    for name in "${names[@]}"; do
        own=$(psnr_of "$model" "$work/own/$name.map")
        shared=$(psnr_of "$model" "$work/shared/$name.map" "$work/shared/set.clut")
        pq=$(psnr_of "$model" "$work/pngquant/$name.map")
        verdict=$(awk -v s="$shared" -v p="$pq" 'BEGIN { print (s >= p) ? "yes" : "no" }')
        [ "$verdict" = no ] || met=$((met + 1))
        printf '| %s | %s | %s | %s | %s | %s |\n' "$name" "${size_of[$name]}" "$own" "$shared" \
            "$pq" "$verdict"
        sum_own="$sum_own + $own" sum_shared="$sum_shared + $shared" sum_pq="$sum_pq + $pq"
    done
    mean() { awk "BEGIN { printf \"%.2f\", ($1) / ${#names[@]} }"; }
    printf '| mean | | %s | %s | %s | |\n' "$(mean "$sum_own")" "$(mean "$sum_shared")" "$(mean "$sum_pq")"
    ratio=$(awk -v s="${best_us[shared]}" -v o="${best_us[own]}" 'BEGIN { printf "%.2f", s / o }')
    echo
    echo "Time of the 8 pictures: own palettes $own_ms ms, shared $shared_ms ms (ratio $ratio);"
    echo "onto pngquant's palette $pngquant_ms ms."
    goal_time=$(awk -v r="$ratio" 'BEGIN { print (r <= 1.5) ? "met" : "missed" }')
    summary+=("${model^^}: shared PSNR >= pngquant-sheet PSNR on $met of ${#names[@]} pictures; time shared / own $ratio (goal <= 1.5: $goal_time)")
done
echo
echo "## Goals"
echo
for line in "${summary[@]}"; do echo "- $line"; done
