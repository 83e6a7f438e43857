#!/usr/bin/env bash
# Installs the named Debian packages that are missing, without the packages they only
# recommend, through sudo when not run as root:
#   scripts/install_packages.sh [--sources] PACKAGE...
# --sources also makes apt see Debian's source packages (deb-src entries derived from the
# machine's binary entries), for the scripts that build libraries from them.
set -euo pipefail

with_sources=0
if [ "${1:-}" = "--sources" ]; then
  with_sources=1
  shift
fi

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
apt_get=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)

have_deb_src() {
  grep -Eqs '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources
}
added_sources=0
if [ "$with_sources" -eq 1 ] && ! have_deb_src; then
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
for package in "$@"; do
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
