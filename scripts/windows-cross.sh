#!/usr/bin/env bash
# Builds Glyphmill for 64-bit Windows on Debian 12 with MinGW-w64, runs the whole test suite
# under Wine, takes a screenshot of the real program, checks that rastix.exe writes the same
# bytes as the Linux build, and leaves glyphmill-VERSION-windows-x64.zip in the build folder
# with glyphmill-VERSION-windows-x64-setup.exe beside it: an installer of the same files, made
# with NSIS and tested under Wine by scripts/windows-installer-test.sh.
#
# Qt for Windows is built once per machine from Debian's own qt6-base source (about 15 minutes
# on 2 cores) into a cache outside the repository, keyed by the source version and the hash of
# scripts/windows-qt.sh, which builds it; later runs reuse it.
#
#   scripts/windows-cross.sh [--qt-only] [BUILD_DIR]     (default BUILD_DIR: build-windows)
# Environment: GLYPHMILL_WINDOWS_CACHE (default /var/cache/glyphmill-windows),
#              LINUX_RASTIX (default build/bin/rastix, built by scripts/setup.sh): the Linux
#              converter to compare with; the rastix-samples beside it draws the pictures.
# Relative paths are taken from the repository's top folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

qt_only=false
if [ "${1:-}" = --qt-only ]; then
    qt_only=true
    shift
fi
build_dir=$(realpath -m "${1:-build-windows}")
cache=${GLYPHMILL_WINDOWS_CACHE:-/var/cache/glyphmill-windows}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)
# Each line says how long the run has taken, so a slow stage shows in any log of it.
log() { printf '== windows-cross [%d:%02d]: %s\n' $((SECONDS / 60)) $((SECONDS % 60)) "$*"; }

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# The comparison at the end needs a Linux build: better to say so now than after the builds. Its
# pictures are drawn by that same build, so both converters read what one version of the code drew.
linux_rastix=$(realpath -m "${LINUX_RASTIX:-build/bin/rastix}")
linux_samples=$(dirname "$linux_rastix")/rastix-samples
if ! $qt_only; then
    for program in "$linux_rastix" "$linux_samples"; do
        if [ ! -x "$program" ]; then
            echo "windows-cross: no $program to compare rastix.exe with: build it with" \
                "scripts/setup.sh, or point LINUX_RASTIX at a rastix built beside its" \
                "rastix-samples" >&2
            exit 1
        fi
    done
fi

# --- whatever the script starts, it stops, however it ends -------------------------------------
# Programs started in the background of a script ignore SIGINT, and Wine's server outlives its
# programs, so an interrupted run would leave Xvfb, glyphmill.exe and wineserver running.
scratch= # the GoogleTest build and other leftovers
wine_prefix= # set once the script has its own, so a caller's WINEPREFIX is never touched
xvfb_pid=
app_pid=
stop_wine() {
    [ -n "$wine_prefix" ] || return 0
    # Ends every program running in the prefix with the server: glyphmill.exe, a test, rastix.exe.
    WINEPREFIX=$wine_prefix wineserver -k 2>/dev/null || true
}
stop_screenshot_programs() {
    if [ -n "$app_pid" ]; then
        stop_wine
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
        app_pid=
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    fi
}
clean_up() {
    local status=$?
    trap - EXIT INT TERM HUP
    stop_screenshot_programs
    stop_wine
    [ -z "$scratch" ] || rm -rf "$scratch"
    exit "$status"
}
trap clean_up EXIT
# A signal ends the script through its EXIT trap, with the status a shell gives for that signal.
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
scratch=$(mktemp -d -t glyphmill-windows.XXXXXX)

# --- packages ---------------------------------------------------------------------------------
log "checking the packages"
# qt6-base-dev: the host Qt's CMake files, through which the Windows Qt finds its host tools.
scripts/ensure-packages.sh \
    g++-mingw-w64-x86-64-posix wine64 wine cmake ninja-build dpkg-dev \
    qt6-base-dev qt6-base-dev-tools googletest libstb-dev xvfb xauth x11-utils imagemagick zip
# Qt for Windows is built from Debian's qt6-base source: apt fetches it only with a deb-src entry.
sources=/etc/apt/sources.list.d/glyphmill-deb-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    log "adding Debian's source packages to apt"
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' \
        'Suites: bookworm bookworm-updates' 'Components: main' \
        'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
        "${sudo_cmd[@]}" tee "$sources" >/dev/null
    # Other builds on the machine may be installing at the same time: wait for the lock.
    "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq
fi

# --- Qt for Windows, once per machine -------------------------------------------------------------
qt_prefix=$(scripts/windows-qt.sh | tail -1)
log "Qt for Windows: $qt_prefix"
$qt_only && exit 0

# --- GoogleTest for Windows, from Debian's source package ---------------------------------------
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
gtest_prefix=$cache/googletest-${gtest_version//[^A-Za-z0-9.+-]/_}-$(sha256sum "$toolchain" | cut -c1-12)
if [ ! -f "$gtest_prefix/.complete" ]; then
    log "building GoogleTest $gtest_version for Windows"
    work=$scratch/googletest
    {
        cmake -S /usr/src/googletest -B "$work" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest_prefix" \
            -Dgtest_disable_pthreads=OFF &&
            cmake --build "$work" --parallel "$jobs" &&
            cmake --install "$work"
    } >"$work.log" 2>&1 || { tail -20 "$work.log" >&2; exit 1; }
    touch "$gtest_prefix/.complete"
fi

# --- a Wine of our own, for build-time generators and the tests ------------------------------------
export WINEPREFIX=$build_dir/wineprefix WINEDEBUG=-all WINEARCH=win64
wine_prefix=$WINEPREFIX
# Wine hands WINEQT_X to the program as QT_X, and drops QT_X itself.
export WINEQT_QPA_PLATFORM=offscreen WINEQT_FORCE_STDERR_LOGGING=1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "making a Wine prefix"
    mkdir -p "$build_dir"
    env -u DISPLAY wineboot -i >/dev/null 2>&1
    wineserver -w
fi

# --- the project --------------------------------------------------------------------------------
log "building the project in $build_dir"
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_PREFIX_PATH="$qt_prefix;$gtest_prefix" -DQT_HOST_PATH=/usr \
    -DCMAKE_BUILD_TYPE=Release -DGLYPHMILL_BENCHMARKS=OFF -DGLYPHMILL_WERROR=ON >/dev/null
cmake --build "$build_dir" --parallel "$jobs"

# Static programs import only DLLs that every Windows has (shcore.dll: since 8.1; Qt 6 needs 10).
for exe in "$build_dir"/bin/glyphmill.exe "$build_dir"/bin/rastix.exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | sort -u)
    log "$(basename "$exe") imports: $(echo $dlls)"
    if echo "$dlls" | grep -viqE '^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comdlg32|imm32|winmm|ws2_32|uxtheme|dwmapi|version|netapi32|userenv|uuid|setupapi|shlwapi|shcore|d3d9|d3d11|d3d12|dxgi|dwrite|d2d1|mpr|winspool|authz|rpcrt4|bcrypt|crypt32|wtsapi32|msvcrt|api-ms-win-.*)\.dll$'; then
        echo "$(basename "$exe") needs a DLL that Windows does not ship" >&2
        exit 1
    fi
done

# Explorer, the taskbar and the installer's shortcuts show the icon the program carries.
if ! x86_64-w64-mingw32-objdump -h "$build_dir/bin/glyphmill.exe" | grep -q '\.rsrc'; then
    echo "glyphmill.exe carries no resources: its icon is missing" >&2
    exit 1
fi

# --- tests under Wine -----------------------------------------------------------------------------
log "running the test suite under Wine"
# The first program of a prefix starts Wine's services; tests started together while that goes
# on took 5 to 25 s, or ended at once without a word. One program run alone does it first.
wine cmd /c exit >/dev/null 2>&1 || true
(cd "$build_dir" && ctest --output-on-failure -j "$jobs")
# Wine's services started without a display; the real program must find them started with one.
stop_wine
wineserver -w

# --- the real program on an X display, with Wine's Windows look ---------------------------------
log "starting glyphmill.exe on a virtual display"
shots=$build_dir/screenshots
mkdir -p "$shots"
# Xvfb takes the first free display and writes its number once it accepts clients: a free number
# is not guessed, and no time is guessed for it to start. It is read through a FIFO, which gives
# end-of-file at once if Xvfb exits without writing.
mkfifo "$scratch/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >"$shots/xvfb.log" 2>&1 &
xvfb_pid=$!
display_number=
read -r -t 60 display_number <"$scratch/display" || true
if [ -z "$display_number" ]; then
    echo "Xvfb gave no display" >&2
    cat "$shots/xvfb.log" >&2
    exit 1
fi
display=:$display_number
(
    cd "$build_dir/bin"
    env -u WINEQT_QPA_PLATFORM DISPLAY="$display" wine glyphmill.exe >"$shots/glyphmill.log" 2>&1
) &
app_pid=$!
found=false
for _ in $(seq 1 60); do
    sleep 1
    if DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q '"Glyphmill by the Loomers"'; then
        found=true
        sleep 3 # let it paint the file list and the preview
        break
    fi
done
if $found; then
    DISPLAY=$display import -window root "$shots/glyphmill-main-window.png"
    log "screenshot: $shots/glyphmill-main-window.png"
fi
stop_screenshot_programs
$found || { echo "glyphmill.exe showed no main window" >&2; cat "$shots/glyphmill.log" >&2; exit 1; }

# --- rastix.exe writes what the Linux build writes --------------------------------------------------
log "comparing rastix.exe with $linux_rastix"
compare=$build_dir/compare
rm -rf "$compare"
mkdir -p "$compare/pictures"
cp "$root"/samples/* "$compare/pictures/"
if ! "$linux_samples" "$compare/pictures" >/dev/null; then
    echo "windows-cross: $linux_samples could not draw the pictures into $compare/pictures" >&2
    exit 1
fi
# A gradient between two colours, whose maps are cut into bands by their looks: the choice
# is made in floating point, and must come out the same on both systems.
{
    echo "P3 80 24 255"
    for ((y = 0; y < 24; ++y)); do
        for ((x = 0; x < 80; ++x)); do
            echo "$((232 - 216 * x / 79)) $((216 - 192 * x / 79)) $((176 - 136 * x / 79))"
        done
    done
} >"$compare/pictures/ramp.ppm"
# Every cut lies inside all the pictures (ship.gif is the smallest, 24 x 24): rastix refuses
# a cut that reaches outside.
differing=0
while read -r -a options; do
    name=$(echo "${options[*]:-default}" | tr -c 'A-Za-z0-9\n' _)
    for side in linux windows; do
        mkdir -p "$compare/$side/$name"
    done
    pictures=(sunset.bmp orbs.jpg ship.gif ramp.ppm)
    # Neither may read the option lines this loop is reading from its standard input.
    (cd "$compare/pictures" && "$linux_rastix" "${options[@]}" --target-dir ../linux/"$name" \
        "${pictures[@]}" >/dev/null </dev/null)
    (cd "$compare/pictures" && wine "$build_dir/bin/rastix.exe" "${options[@]}" \
        --target-dir ../windows/"$name" "${pictures[@]}" >/dev/null </dev/null)
    if ! diff -r "$compare/linux/$name" "$compare/windows/$name" >/dev/null; then
        echo "rastix.exe differs with: ${options[*]}" >&2
        differing=$((differing + 1))
    fi
done <<'OPTIONS'

--binary
-cry
-cry --binary --15-bits
--binary --15-bits
--clut --opt-clut
-cry --clut --binary
-cry --glass --binary
-cry --glass --gray --negative
--rotate 90 --binary
--rotate 33 --binary --clut
--cut 4,2:16x20 -cry --binary
--syntax gas --clut
--colours 16 --clut --dither ordered
--colours 4 --clut --binary
--clut --dither diffusion
-cry --dither diffusion --binary
--clut --binary --opt-clut --shared-clut set --palette-out act
--clut --banks pal --syntax gas
--clut --reserve 0-15 --colours 64 --binary --palette-out gpl
OPTIONS
files=$(find "$compare/linux" -type f | wc -l)
((differing == 0)) || exit 1
log "rastix.exe and the Linux rastix wrote the same bytes in all $files files"

# --- release archive ------------------------------------------------------------------------------
# The version the programs were built with, which CMake wrote when it configured them.
version=$(cat "$build_dir/glyphmill-version.txt" 2>/dev/null) || true
if ! [[ $version =~ ^[0-9]+(\.[0-9]+)*$ ]]; then
    echo "windows-cross: no version in $build_dir/glyphmill-version.txt" >&2
    exit 1
fi
package=glyphmill-$version-windows-x64
staging=$build_dir/$package
rm -rf "$staging" "$build_dir/$package.zip"
mkdir -p "$staging"
for exe in glyphmill.exe rastix.exe; do
    x86_64-w64-mingw32-strip -o "$staging/$exe" "$build_dir/bin/$exe"
done
cp -r "$build_dir/bin/cursors" "$staging/"
cp "$root/LICENSE" "$staging/LICENSE.txt"
cat >"$staging/README.txt" <<README
Glyphmill $version for Windows (64-bit)

Glyphmill is a front-end for rastix, a command-line converter that turns pictures into
graphics data for the Atari Jaguar console: RGB16 or CRY16 true colour, or a pixel map with a
colour look-up table, as assembly source or binary.

Unpack the folder anywhere and start glyphmill.exe; it runs rastix.exe from its own folder.
The "cursors" folder holds the drag cursors. rastix.exe also works on its own from a command
prompt: "rastix.exe --help" describes its options.

Both programs are self-contained: they need nothing installed beside them. The installer,
glyphmill-$version-windows-x64-setup.exe, puts the same files in place with a Start-menu entry
and an uninstaller, for you alone or for every user of the computer.
Glyphmill is free software under the MIT License (LICENSE.txt).
README
(cd "$build_dir" && zip -qr "$package.zip" "$package")
log "release archive: $build_dir/$package.zip ($(du -h "$build_dir/$package.zip" | cut -f1))"

# --- installer ----------------------------------------------------------------------------------
# The same files, installed for one user or for all, with a Start-menu entry and an uninstaller.
scripts/ensure-packages.sh nsis
installer=$build_dir/$package-setup.exe
rm -f "$installer"
# Windows wants a version of four numbers in the file's properties.
file_version=$version
while [[ $file_version =~ ^[0-9]+(\.[0-9]+){0,2}$ ]]; do file_version+=.0; done
file_version=$(cut -d. -f1-4 <<<"$file_version")
makensis -V2 -WX -NOCD "-DVERSION=$version" "-DFILE_VERSION=$file_version" "-DFILES=$staging" \
    "-DICON=$root/resources/icons/glyphmill.ico" "-DOUTFILE=$installer" "$root/data/windows/glyphmill.nsi"
log "installer: $installer ($(du -h "$installer" | cut -f1))"
scripts/windows-installer-test.sh "$installer" "$staging" "$version"
