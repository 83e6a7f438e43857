#!/usr/bin/env bash
# Installs the Debian packages the build, the show and the tests need; skips what is there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libgtest-dev googletest
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libpng-dev zlib1g-dev lib3ds-dev
  libsdl2-dev libsdl2-mixer-dev libfltk1.3-dev libmp3lame-dev libmpg123-dev libxrender-dev
  xvfb xauth xdotool x11-utils openbox
  lame sox ffmpeg
  pulseaudio faketime
  clang libclang-rt-dev clang-format python3
)
exec "$(dirname "$0")/install_packages.sh" "${packages[@]}"
