#!/usr/bin/env bash
# Installs those of the Debian packages named as arguments that are not installed yet, with
# apt-get (as root, or through sudo). Other builds on the machine may hold the dpkg lock: wait.
set -euo pipefail

missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]})) || exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
    --no-install-recommends "${missing[@]}"
