#!/usr/bin/env bash
# Builds Glyphmill (installing what the build needs) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
exec build/bin/glyphmill "$@"
