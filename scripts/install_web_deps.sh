#!/usr/bin/env bash
# Installs what the web build and its browser tests need; skips what is there.
# Kept apart from install_deps.sh so the Linux build never waits for emscripten.
set -euo pipefail

packages=(
  cmake make pkg-config ca-certificates dpkg-dev xz-utils
  emscripten nodejs node-ws chromium python3 imagemagick
)

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
apt_get=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)

# The third-party libraries are built from Debian's source packages, so apt needs
# deb-src entries; derive them from the binary entries when the machine has none.
have_deb_src() {
  grep -Eqs '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources
}
added_sources=0
if ! have_deb_src; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/kelvo-deb-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/kelvo-deb-src.list >/dev/null
  fi
  added_sources=1
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ] || [ "$added_sources" -eq 1 ]; then
  "${apt_get[@]}" update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi
