#!/usr/bin/env bash
# Installs what building and checking the Debian package needs; skips what is there.
# Kept apart from install_deps.sh: only the package commands need these.
set -euo pipefail

packages=(
  dpkg-dev file          # dpkg-shlibdeps and dpkg-buildflags; CPack finds programs with file
  lintian desktop-file-utils
  imagemagick            # package_test.sh looks at the installed show's screen
)
exec "$(dirname "$0")/install_packages.sh" "${packages[@]}"
