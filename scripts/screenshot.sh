#!/usr/bin/env bash
# Renders the main window with the shots tool (offscreen, no display needed) and puts the
# picture the README opens with into docs/. Run it after changing how the window looks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build >/dev/null
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
# As an installed Glyphmill shows it: running /usr/bin/rastix.
QT_QPA_PLATFORM=offscreen build/bin/glyphmill-shots "$shots" /usr/bin >/dev/null
# The window browsing a folder of pictures, one of them previewed, two selected.
cp "$shots/FormMain-browsing.png" docs/main-window.png
echo docs/main-window.png
