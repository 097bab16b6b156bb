#!/usr/bin/env bash
# Peak memory and time of rastix on 8000 x 8000 pictures (a photo-like JPEG and the same as PNG),
# side by side in one run: binary and assembly output, true colour and colour map, one picture
# alone and four in one run; next to a bare decode of the same picture by Qt's reader (what any
# Qt program needs to read it), which is the yardstick for time and memory.
# Usage: bench/rastix_memory.sh [BUILD_DIR] [RASTIX]
#   BUILD_DIR  where bench_rastix is (default: build; run scripts/setup.sh first)
#   RASTIX     the converter to measure (default: BUILD_DIR/bin/rastix), e.g. an older build
# SIZE=WxH changes the picture size; RUNS=N runs each case N times (default 3); KEEP=1 keeps
# the work folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rastix=$(realpath "${2:-$build/bin/rastix}")
maker="$build/bench/bench_rastix"
[ -x "$rastix" ] && [ -x "$maker" ] || { echo "build first: scripts/setup.sh $build" >&2; exit 2; }
size=${SIZE:-8000x8000}

work=$(mktemp -d)
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
for kind in jpg png; do
    "$maker" --write-picture "$work/photo.$kind" "$size"
    for i in 1 2 3 4; do ln "$work/photo.$kind" "$work/photo$i.$kind"; done
done

# Runs a command $RUNS times (default 3), each time just after a bare decode of the same
# picture, so that both see the same load on the machine. Prints "seconds peak-MB status ratio":
# the best time, the largest peak resident memory, the last status and the best time per
# picture over the best bare decode; then the first line of a failure.
runs=${RUNS:-3}
best_of() { awk -v a="$1" -v b="$2" 'BEGIN { print (b < a) ? b : a }'; }
run_once() { # command...; sets seconds, kb, status
    set +e
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/err"
    status=$?
    set -e
    rm -f "$work/out"/*
    # time puts "Command exited with non-zero status" first when the command fails.
    read -r seconds kb < <(tail -n 1 "$work/time")
}
measure() { # picture-count bare-decode-picture command...
    local count=$1 bare=$2 report="" status seconds kb best=999999 bareBest=999999 peak=0
    shift 2
    for _ in $(seq "$runs"); do
        run_once "$maker" --decode "$bare"
        bareBest=$(best_of "$bareBest" "$seconds")
        run_once "$@"
        best=$(best_of "$best" "$seconds")
        ((kb > peak)) && peak=$kb
    done
    local ratio="-"
    [ "$status" -ne 0 ] ||
        ratio=$(awk -v a="$best" -v b="$bareBest" -v n="$count" 'BEGIN { printf "%.2f", a / n / b }')
    printf '%7.2f %7d %3d %6s' "$best" $((peak / 1024)) "$status" "$ratio"
    [ "$status" -eq 0 ] || report=$(head -n 1 "$work/err" | cut -c 1-90)
    [ -z "$report" ] || printf '   %s' "$report"
}

w=${size%x*}
h=${size#*x}
echo "rastix: $rastix"
echo "pictures: $size, decoded $((w * h * 4 / 1048576)) MB as 32-bit pixels;" \
    "JPEG $(($(stat -c %s "$work/photo.jpg") / 1048576)) MB, PNG $(($(stat -c %s "$work/photo.png") / 1048576)) MB"
echo "ratio: time per picture / a bare decode by Qt's reader run just before; best of $runs runs"
printf '%-36s %7s %7s %3s %6s\n' "case" "seconds" "peak-MB" "st" "ratio"
for kind in jpg png; do
    printf '%-36s %s\n' "$kind: bare decode (Qt)" \
        "$(measure 1 "$work/photo.$kind" "$maker" --decode "$work/photo.$kind")"
    for format in --binary --assembly; do
        for mode in "" --clut; do
            name="$kind ${format#--} ${mode:+colour map}"
            [ -n "$mode" ] || name+="true colour"
            for count in 1 4; do
                if [ "$count" -eq 1 ]; then
                    pictures=("$work/photo.$kind")
                else
                    pictures=("$work"/photo[1-4]."$kind")
                fi
                printf '%-36s %s\n' "$name, x$count" \
                    "$(measure "$count" "$work/photo.$kind" "$rastix" $format $mode --overwrite \
                        --target-dir "$work/out" "${pictures[@]}")"
            done
        done
    done
done
