#!/usr/bin/env bash
# Installs what building and checking the Debian package needs; skips what is there.
# Kept apart from install_deps.sh: only the package commands need these.
set -euo pipefail

packages=(
  dpkg-dev file          # dpkg-shlibdeps and dpkg-buildflags; CPack finds programs with file
  lintian desktop-file-utils
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
