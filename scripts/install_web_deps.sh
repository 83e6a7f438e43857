#!/usr/bin/env bash
# Installs what the web build, its browser tests and its benchmarks need; skips what is
# there.
# Kept apart from install_deps.sh so the Linux build never waits for emscripten.
# The third-party libraries are built from Debian's source packages, hence --sources.
# The browsers: Chromium (headless), Firefox ESR and WebKitGTK's MiniBrowser with its
# WebDriver (both headed on Xvfb); puppeteer-core, which drives Firefox, comes from npm at
# the version pinned in tools/browser/package-lock.json, into tools/browser/node_modules.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake make pkg-config ca-certificates dpkg-dev xz-utils
  emscripten nodejs node-ws chromium python3 imagemagick
  firefox-esr webkit2gtk-driver pulseaudio xvfb
)
scripts/install_packages.sh --sources "${packages[@]}"
# Debian's nodejs comes without npm; a Node.js that brings its own keeps it.
command -v npm >/dev/null || scripts/install_packages.sh npm

# npm ci starts from nothing each time: run it only when the lock file changed since.
modules=tools/browser/node_modules
if ! cmp -s tools/browser/package-lock.json "$modules/.kelvo-installed-lock"; then
  echo "Installing npm packages for the browser drivers"
  (cd tools/browser && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund)
  cp tools/browser/package-lock.json "$modules/.kelvo-installed-lock"
fi
