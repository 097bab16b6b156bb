#!/usr/bin/env bash
# Installs the build into a DESTDIR and runs the installed programs from there: rastix converts
# a sample, glyphmill answers --help and --version without a display and, started offscreen,
# finds the rastix and the cursors installed beside it.
#   test_install.sh CMAKE BUILD_DIR PREFIX BINDIR DATADIR MANDIR DOCDIR VERSION WITH_SHOW
# WITH_SHOW is 1 where rastix-show is installed too.
set -euo pipefail
cmake=$1 build=$2 prefix=$3 bindir=$4 datadir=$5 mandir=$6 docdir=$7 version=$8 with_show=$9
# GNUInstallDirs hands relative folders; absolute ones are used as they are.
under() { case $1 in /*) echo "$1" ;; *) echo "$prefix/$1" ;; esac; }

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/root
DESTDIR=$root "$cmake" --install "$build" >"$stage/install.log" || {
    cat "$stage/install.log" >&2
    fail "cmake --install"
}

bin=$root$(under "$bindir")
data=$root$(under "$datadir")
expected=(
    "$bin/glyphmill" "$bin/rastix"
    "$data/glyphmill/cursors/hwe.cur" "$data/glyphmill/cursors/hibeam.cur"
    "$data/glyphmill/samples/sunset.bmp"
    "$data/applications/org.glyphmill.Glyphmill.desktop"
    "$data/metainfo/org.glyphmill.Glyphmill.metainfo.xml"
    "$data/icons/hicolor/scalable/apps/glyphmill.svg"
    "$data/icons/hicolor/48x48/apps/glyphmill.png"
    "$root$(under "$mandir")/man1/rastix.1.gz" "$root$(under "$mandir")/man1/glyphmill.1.gz"
    "$root$(under "$docdir")/LICENSE" "$root$(under "$docdir")/changelog.gz"
)
for file in "${expected[@]}"; do
    [ -f "$file" ] || fail "not installed: ${file#"$root"}"
done
[ -x "$bin/glyphmill" ] && [ -x "$bin/rastix" ] || fail "the programs are not executable"
if [ "$with_show" = 1 ]; then
    [ -f "$data/glyphmill/console/cartridge.cmake" ] || fail "rastix-show's cartridge not installed"
    [ -f "$root$(under "$mandir")/man1/rastix-show.1.gz" ] || fail "no rastix-show.1"
    "$bin/rastix-show" --help >/dev/null || fail "rastix-show --help exited with $?"
fi

# The installed converter on an installed sample.
out=$stage/out
mkdir "$out"
"$bin/rastix" --target-dir "$out" -cry "$data/glyphmill/samples/sunset.bmp" >"$stage/rastix.log" ||
    fail "rastix exited with $?: $(cat "$stage/rastix.log")"
[ -s "$out/sunset.s" ] || fail "rastix wrote no sunset.s"
grep -qx "sunset_width = 96.*" "$out/sunset.s" && grep -qx "sunset:" "$out/sunset.s" ||
    fail "sunset.s is not the 96-pixel-wide sunset: $(head -12 "$out/sunset.s")"

# --help and --version need no display, not even Qt's offscreen one.
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
help=$("${no_display[@]}" "$bin/glyphmill" --help) || fail "glyphmill --help exited with $?"
grep -q -- "--check-installation" <<<"$help" || fail "glyphmill --help lists no options: $help"
ver=$("${no_display[@]}" "$bin/glyphmill" --version) || fail "glyphmill --version exited with $?"
[ "$ver" = "glyphmill $version" ] || fail "glyphmill --version printed '$ver'"
if "${no_display[@]}" "$bin/glyphmill" >/dev/null 2>&1; then
    fail "glyphmill started without a display"
fi

# Started offscreen, the installed front-end finds what was installed with it.
report=$(cd "$stage" && QT_QPA_PLATFORM=offscreen "$bin/glyphmill" --check-installation 2>"$stage/err") ||
    fail "glyphmill --check-installation exited with $?: $report $(cat "$stage/err")"
grep -qx "converter: $bin/rastix" <<<"$report" || fail "converter not found: $report"
for cursor in hwe.cur hibeam.cur; do
    grep -qx "cursor $cursor: $data/glyphmill/cursors/$cursor" <<<"$report" ||
        fail "cursor $cursor not found in the installed data folder: $report"
done
# ...and says so when it is not beside them.
mkdir "$stage/alone"
cp "$bin/glyphmill" "$stage/alone/"
if report=$(cd "$stage" && QT_QPA_PLATFORM=offscreen "$stage/alone/glyphmill" \
    --check-installation 2>/dev/null); then
    fail "a lone glyphmill reported a complete installation: $report"
fi
grep -q "converter: not found" <<<"$report" || fail "a lone glyphmill found a converter: $report"
echo "installed into $root and ran from there"
