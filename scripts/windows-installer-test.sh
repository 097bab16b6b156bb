#!/usr/bin/env bash
# Installs the Windows installer silently into a fresh Wine prefix, for the current user and then
# for all users (/ALLUSERS), and checks each installation as Windows would see it: the files of
# the release folder, the Start-menu shortcut, the entry in Add/Remove Programs, the installed
# rastix.exe converting a picture and glyphmill.exe finding what was installed beside it. Then
# uninstalls it silently through the command its entry names, and checks that nothing is left.
#   scripts/windows-installer-test.sh INSTALLER RELEASE_FOLDER VERSION
# RELEASE_FOLDER holds what the installer was made of (the Windows zip's folder).
set -euo pipefail
installer=$(realpath "$1") release=$(realpath "$2") version=$3

log() { printf '== windows-installer-test [%d:%02d]: %s\n' $((SECONDS / 60)) $((SECONDS % 60)) "$*"; }
fail() {
    echo "windows-installer-test: FAIL: $*" >&2
    exit 1
}

scratch=$(mktemp -d -t glyphmill-installer.XXXXXX)
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEARCH=win64
# Wine's menu builder would copy the Start-menu shortcut into this machine's own desktop menus.
export WINEDLLOVERRIDES=winemenubuilder.exe=d
# Wine hands WINEQT_X to the program as QT_X.
export WINEQT_QPA_PLATFORM=offscreen
clean_up() {
    local status=$?
    trap - EXIT INT TERM HUP
    wineserver -k 2>/dev/null || true
    rm -rf "$scratch"
    exit "$status"
}
trap clean_up EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

log "making a fresh Wine prefix"
env -u DISPLAY wineboot -i >/dev/null 2>&1
wineserver -w

# Windows' own names for its folders, and where they lie in the prefix.
# Each program started under Wine costs seconds: one asks for all of them.
IFS='|' read -r local_app_data app_data program_files program_data < <(
    wine cmd /c 'echo %LOCALAPPDATA%^|%APPDATA%^|%ProgramW6432%^|%ProgramData%' 2>/dev/null |
        tr -d '\r')
[ -n "$program_data" ] || fail "Wine did not name its folders"
unix_path() { winepath -u "$1" 2>/dev/null; }
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Glyphmill'
menu='Microsoft\Windows\Start Menu\Programs\Glyphmill.lnk'

registry_key_exists() { wine reg query "$1" >/dev/null 2>&1; }
# A value from the listing of a key that reg printed, or status 1 if it has none.
value_in() { sed -n "s/^ *$2 *REG_[A-Z_]* *//p" <<<"$1" | grep .; }

# check_round NAME ARGUMENTS FOLDER SHORTCUT HIVE OTHER_HIVE
check_round() {
    local name=$1 arguments=$2 folder=$3 shortcut=$4 hive=$5 other_hive=$6
    local folder_unix shortcut_unix
    log "$name: installing silently ($(basename "$installer") /S $arguments)"
    # shellcheck disable=SC2086 # the arguments are the installer's switches, split on purpose
    wine "$installer" /S $arguments || fail "$name: the installer exited with $?"
    folder_unix=$(unix_path "$folder")
    shortcut_unix=$(unix_path "$shortcut")

    [ -f "$folder_unix/uninstall.exe" ] || fail "$name: no uninstall.exe in $folder"
    [ -f "$folder_unix/glyphmill.ico" ] || fail "$name: no glyphmill.ico in $folder"
    diff -r -x uninstall.exe -x glyphmill.ico "$release" "$folder_unix" >&2 ||
        fail "$name: $folder does not hold the release's files"

    [ -f "$shortcut_unix" ] || fail "$name: no Start-menu shortcut $shortcut"
    # A shell link keeps its target's path as a plain string too.
    strings -a "$shortcut_unix" | grep -qixF "$folder\\glyphmill.exe" ||
        fail "$name: the shortcut does not start $folder\\glyphmill.exe"

    local entry
    entry=$(wine reg query "$hive\\$key" 2>/dev/null | tr -d '\r') ||
        fail "$name: no $hive\\$key in the registry"
    [ "$(value_in "$entry" DisplayVersion)" = "$version" ] ||
        fail "$name: no DisplayVersion $version under $hive\\$key: $entry"
    [ "$(value_in "$entry" InstallLocation)" = "$folder" ] ||
        fail "$name: InstallLocation under $hive\\$key is not $folder: $entry"
    value_in "$entry" DisplayName >/dev/null || fail "$name: no DisplayName: $entry"
    ! registry_key_exists "$other_hive\\$key" || fail "$name: registered under $other_hive too"

    log "$name: running the installed programs"
    wine "$folder\\rastix.exe" --version | grep -q '^rastix ' ||
        fail "$name: the installed rastix.exe gave no version"
    local pictures=$scratch/pictures
    rm -rf "$pictures" && mkdir "$pictures"
    printf 'P3 2 2 255\n255 0 0  0 255 0\n0 0 255  255 255 255\n' >"$pictures/dots.ppm"
    (cd "$pictures" && wine "$folder\\rastix.exe" --binary dots.ppm >/dev/null) ||
        fail "$name: the installed rastix.exe could not convert a picture"
    # Two lines of two RGB16 pixels, each line padded to a phrase of 8 bytes.
    [ "$(stat -c %s "$pictures/dots.rgb" 2>/dev/null)" = 16 ] ||
        fail "$name: rastix.exe wrote no 16-byte dots.rgb"
    [ "$(wine "$folder\\glyphmill.exe" --version | tr -d '\r')" = "glyphmill $version" ] ||
        fail "$name: the installed glyphmill.exe gave another version"
    local report
    # Qt's offscreen platform is linked into the tests, not into glyphmill.exe.
    report=$(env -u WINEQT_QPA_PLATFORM wine "$folder\\glyphmill.exe" --check-installation 2>&1 |
        tr -d '\r') ||
        fail "$name: glyphmill.exe --check-installation exited with $?: $report"
    # The converter's path comes with backslashes, the cursors' with forward slashes.
    report=${report//\\//}
    grep -qixF "converter: ${folder//\\//}/rastix.exe" <<<"$report" ||
        fail "$name: glyphmill.exe did not find the installed rastix.exe: $report"

    log "$name: uninstalling silently"
    local command
    command=$(value_in "$entry" QuietUninstallString) ||
        fail "$name: no QuietUninstallString"
    [[ $command =~ ^\"([^\"]+)\"\ (.*)$ ]] || fail "$name: QuietUninstallString is '$command'"
    # shellcheck disable=SC2086
    wine "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]} || fail "$name: the uninstaller exited with $?"
    # The uninstaller runs on from a copy of itself in the temporary folder, so that it can
    # remove its own file: wait for the prefix's last program to end.
    wineserver -w
    [ ! -e "$folder_unix" ] || fail "$name: left behind: $(find "$folder_unix")"
    [ ! -e "$shortcut_unix" ] || fail "$name: the shortcut is left behind"
    ! registry_key_exists "$hive\\$key" || fail "$name: the registry key is left behind"
}

check_round "for the current user" "" "$local_app_data\\Programs\\Glyphmill" \
    "$app_data\\$menu" HKCU HKLM
check_round "for all users" /ALLUSERS "$program_files\\Glyphmill" "$program_data\\$menu" HKLM HKCU
log "the installer installed and removed Glyphmill for one user and for all"
