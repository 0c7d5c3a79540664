#!/usr/bin/env bash
# Installs the Debian packages of scripts/debian-packages.txt that are missing (no-op if none).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# One or more names per line; '#' starts a comment.
read -r -a wanted <<< "$(sed -e 's/#.*//' "$here/debian-packages.txt" | tr -s '[:space:]' ' ')"
missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
