#!/usr/bin/env bash
# Installs the Debian packages the build, the show and the tests need; skips what is there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libgtest-dev googletest
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libpng-dev zlib1g-dev lib3ds-dev
  libsdl2-dev libsdl2-mixer-dev libfltk1.3-dev libmp3lame-dev libmpg123-dev
  xvfb xauth xdotool x11-utils openbox
  lame sox ffmpeg
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
