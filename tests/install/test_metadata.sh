#!/usr/bin/env bash
# The desktop entry, the AppStream metainfo and the manual pages pass the checkers that
# distributions run, without a warning; they and the changelog carry the project's version; and
# rastix.1 covers every option that `rastix --help` lists.
#   test_metadata.sh SOURCE_DIR RASTIX VERSION
set -euo pipefail
source=$1 rastix=$2 version=$3
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

desktop=$source/data/org.glyphmill.Glyphmill.desktop
metainfo=$source/data/org.glyphmill.Glyphmill.metainfo.xml
# desktop-file-validate exits 0 on hints and warnings too: any output is a finding.
found=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$found" ] || fail "desktop-file-validate: $found"
found=$(appstreamcli validate --no-net --explain "$metainfo" 2>&1) || fail "appstreamcli: $found"
! grep -qE '^[EW]:' <<<"$found" || fail "appstreamcli: $found"

pages=(rastix.1 glyphmill.1)
[ ! -f "$source/rastix/console/rastix-show" ] || pages+=(rastix-show.1)
for page in "${pages[@]}"; do
    found=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$source/docs/man/$page" 2>&1 >/dev/null) ||
        fail "man could not render $page"
    [ -z "$found" ] || fail "man --warnings $page: $found"
    grep -q "^\.TH [A-Z-]* 1 [0-9-]* \"Glyphmill $version\"" "$source/docs/man/$page" ||
        fail "$page does not name Glyphmill $version in its .TH line"
done
grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "the metainfo lists no release $version"
head -1 "$source/data/changelog" | grep -q "^glyphmill ($version) " ||
    fail "data/changelog does not begin with version $version"

# Every option of the help's option lines (two blanks, then the option) must be in the page.
help=$("$rastix" --help)
options=$(grep -E '^  -' <<<"$help" | grep -oE '(^|[ ,])--?[a-z0-9][a-z0-9-]*' | tr -d ' ,' | sort -u)
[ -n "$options" ] || fail "found no options in rastix --help"
for option in $options; do
    grep -qF -- "${option//-/\\-}" "$source/docs/man/rastix.1" ||
        fail "rastix.1 does not describe $option (docs/man/rastix.1)"
done
exit $status
