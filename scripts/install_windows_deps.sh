#!/usr/bin/env bash
# Installs what the Windows cross-build and its Wine smoke test need; skips what is there.
# Kept apart from install_deps.sh so the Linux build never waits for a cross toolchain.
# The third-party libraries are built from Debian's source packages, hence --sources.
set -euo pipefail

# Wine only recommends the GL libraries; they are named here, so recommends stay off.
packages=(
  cmake make pkg-config ca-certificates dpkg-dev xz-utils
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 libgl1 libgl1-mesa-dri
  xvfb xauth xdotool x11-utils imagemagick zip
)
exec "$(dirname "$0")/install_packages.sh" --sources "${packages[@]}"
