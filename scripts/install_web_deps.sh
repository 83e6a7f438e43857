#!/usr/bin/env bash
# Installs what the web build and its browser tests need; skips what is there.
# Kept apart from install_deps.sh so the Linux build never waits for emscripten.
# The third-party libraries are built from Debian's source packages, hence --sources.
set -euo pipefail

packages=(
  cmake make pkg-config ca-certificates dpkg-dev xz-utils
  emscripten nodejs node-ws chromium python3 imagemagick
)
exec "$(dirname "$0")/apt_install.sh" --sources "${packages[@]}"
