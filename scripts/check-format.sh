#!/usr/bin/env bash
# Checks that every tracked C++ source is formatted as .clang-format says (Debian 12's
# clang-format, installed if missing); lists the files that are not and fails. To mend them:
#   git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh clang-format
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
