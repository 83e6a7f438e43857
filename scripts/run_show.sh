#!/usr/bin/env bash
# Sets everything up and runs the show: installs what is missing, builds, writes the data
# folder when it is missing or older than its generator, then plays from build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
scripts/build.sh build
scripts/make_data.sh build
if [ -z "${DISPLAY:-}" ]; then
  echo "No display (DISPLAY is not set): the show needs a screen to play on." >&2
  echo "To watch it without one, record it: build/bin/kelvo-capture --data build --out frames" >&2
  exit 1
fi
cd build
exec bin/kelvo
