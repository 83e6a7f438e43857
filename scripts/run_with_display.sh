#!/usr/bin/env bash
# Runs a command with an X display: the current one, or a private Xvfb (640x480, 16 bits)
# started for the command and stopped after it. When Xvfb cannot start, says why and
# exits with status 1 without running the command:
#   scripts/run_with_display.sh COMMAND [ARGUMENT...]
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
source "$(dirname "$0")/lib/private_display.sh"
xvfb_dir=$(mktemp -d)
trap 'stop_private_xvfb; rm -rf "$xvfb_dir"' EXIT
start_private_xvfb 640x480x16 "$xvfb_dir"
"$@"
