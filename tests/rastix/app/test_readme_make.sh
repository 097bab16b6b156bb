#!/usr/bin/env bash
# The README's example build, its makefile, argument file and program taken from the README so
# that they cannot drift apart, run by make on the sample pictures in a temporary folder: the
# first `make assets` converts them, a second does nothing, a touched picture is converted
# again alone, and a damaged one fails make (and is tried again). With GLYPHMILL_RMAC and
# GLYPHMILL_RLN naming the assembler and the linker, or TOOLS holding the tests' build of them
# (TOOLS/rmac/rmac, TOOLS/rln/rln), the whole game is built too; GLYPHMILL_REQUIRE_CONSOLE
# (CI) makes their absence a failure.
#   test_readme_make.sh SOURCE_DIR RASTIX [TOOLS]
set -euo pipefail
source=$1 rastix=$2 tools=${3:-}
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The fenced block after the README's "<!-- example file: NAME -->".
example() {
    awk -v marker="<!-- example file: $1 -->" '
        $0 == marker { found = 1; next }
        found == 1 && /^```/ { found = 2; next }
        found == 2 && /^```/ { exit }
        found == 2 { print }' "$source/README.md"
}
for file in Makefile assets.args game.s; do
    example "$file" >"$work/$file"
    [ -s "$work/$file" ] || { echo "FAIL: the README has no example $file" >&2; exit 1; }
done
mkdir "$work/art"
cp "$source/samples/sunset.bmp" "$source/samples/ship.gif" "$source/samples/orbs.jpg" "$work/art/"
cd "$work"

assets() { make --no-print-directory assets RASTIX="$rastix" "$@"; }
outputs=(gfx/sunset.s gfx/sprites.s gfx/ship.s gfx/orbs.s)

assets >first.log 2>&1 || { cat first.log >&2; fail "the first make assets failed"; }
for output in "${outputs[@]}"; do
    [ -s "$output" ] || fail "make assets did not write $output"
done
grep -q '^gfx/ship.s: art/ship.gif art/orbs.jpg assets.args$' assets.d ||
    fail "assets.d has no rule for gfx/ship.s on its set: $(cat assets.d)"

# A stamp older than nothing make writes from here on, a second apart for coarse clocks.
sleep 1
touch before-second
sleep 1
assets >second.log 2>&1 || fail "the second make assets failed: $(cat second.log)"
grep -q "Nothing to be done for 'assets'" second.log ||
    fail "the second make assets did something: $(cat second.log)"
changed=$(find gfx -type f -newer before-second | sort)
[ -z "$changed" ] || fail "the second make assets rewrote $changed"

touch before-touched
sleep 1
touch art/sunset.bmp
assets >touched.log 2>&1 || fail "make assets after a touched picture failed: $(cat touched.log)"
changed=$(find gfx -type f -newer before-touched | sort | tr '\n' ' ')
[ "$changed" = "gfx/sunset.s " ] ||
    fail "touching art/sunset.bmp rewrote '$changed', not gfx/sunset.s alone"

cp art/ship.gif ship.gif.good
printf 'GIF89a, and then nothing' >art/ship.gif
if assets >damaged.log 2>&1; then
    fail "make assets passed on a damaged picture"
fi
grep -q '^rastix: art/ship.gif: ' damaged.log || fail "rastix did not name art/ship.gif: $(cat damaged.log)"
make -q assets RASTIX="$rastix" && fail "after a failed picture make thinks the assets are done"
cp ship.gif.good art/ship.gif
assets >mended.log 2>&1 || fail "make assets failed on the mended picture: $(cat mended.log)"

# The tests' own build of the tools, when no others are named.
if [ -z "${GLYPHMILL_RMAC:-}" ] && [ -n "$tools" ] && [ -x "$tools/rmac/rmac" ] &&
    [ -x "$tools/rln/rln" ]; then
    GLYPHMILL_RMAC=$tools/rmac/rmac
    GLYPHMILL_RLN=$tools/rln/rln
fi
if [ -n "${GLYPHMILL_RMAC:-}" ] && [ -n "${GLYPHMILL_RLN:-}" ]; then
    make --no-print-directory RASTIX="$rastix" RMAC="$GLYPHMILL_RMAC" RLN="$GLYPHMILL_RLN" \
        >game.log 2>&1 || fail "make (assemble and link) failed: $(cat game.log)"
    [ -s game.bin ] || fail "make wrote no game.bin"
elif [ -n "${GLYPHMILL_REQUIRE_CONSOLE:-}" ]; then
    fail "no rmac and rln to assemble and link the game with"
else
    echo "GLYPHMILL_RMAC and GLYPHMILL_RLN not set: the game was not assembled and linked"
fi
exit $status
